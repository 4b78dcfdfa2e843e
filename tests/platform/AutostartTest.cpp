#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/Autostart.h"
#include "platform/DataLocation.h"
#include "support/Fakes.h"

using namespace veltrin;

namespace {

class AutostartTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/veltrin-xdg-XXXXXX";
        home = ::mkdtemp(tmpl);
        const char* old = std::getenv("XDG_CONFIG_HOME");
        saved = old ? old : "";
        hadOld = old != nullptr;
        ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    }
    void TearDown() override {
        if (hadOld)
            ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(home);
    }
    std::filesystem::path home;
    std::string saved;
    bool hadOld = false;
};

}  // namespace

TEST_F(AutostartTest, EnabledEntryStartsTheProgramWithAutorun) {
    XdgAutostart a;
    ASSERT_EQ(a.write("/opt/veltrin/veltrin", true), Autostart::Result::Written);
    const auto entry = home / "config/autostart/veltrin.desktop";
    EXPECT_EQ(XdgAutostart::entryPath(), entry.string());
    const std::string text = test::readAll(entry);
    EXPECT_NE(text.find("Exec=/opt/veltrin/veltrin /autorun\n"), std::string::npos);
    EXPECT_EQ(text.find("Hidden=true"), std::string::npos);
}

TEST_F(AutostartTest, DisabledEntryStaysButIsSwitchedOff) {
    XdgAutostart a;
    ASSERT_EQ(a.write("/opt/veltrin/veltrin", true), Autostart::Result::Written);
    ASSERT_EQ(a.write("/opt/veltrin/veltrin", false), Autostart::Result::Written);
    const std::string text = test::readAll(home / "config/autostart/veltrin.desktop");
    EXPECT_NE(text.find("Hidden=true\n"), std::string::npos);
    EXPECT_EQ(text.find("Exec="), std::string::npos);
}

TEST_F(AutostartTest, PathWithBlanksIsQuoted) {
    EXPECT_NE(
        XdgAutostart::entryText("/home/a b/veltrin", true).find("Exec=\"/home/a b/veltrin\" /autorun\n"),
        std::string::npos);
}

TEST_F(AutostartTest, UnmakeableFolderIsNoFolder) {
    test::writeAll(home / "config", "a file where the folder should be");
    XdgAutostart a;
    EXPECT_EQ(a.write("/opt/veltrin/veltrin", true), Autostart::Result::NoFolder);
}

TEST_F(AutostartTest, UnwritableEntryIsAWriteFailure) {
    std::filesystem::create_directories(home / "config/autostart/veltrin.desktop");
    XdgAutostart a;
    EXPECT_EQ(a.write("/opt/veltrin/veltrin", true), Autostart::Result::WriteFailed);
}

TEST_F(AutostartTest, EntryNamesADataFolderChosenAtStart) {
    XdgAutostart a;
    // A percent sign would start a field code of the entry's command.
    EXPECT_NE(XdgAutostart::entryText("/opt/v%1/veltrin", true, "/srv/100% mine")
                  .find("Exec=/opt/v%%1/veltrin --data \"/srv/100%% mine\" /autorun\n"),
              std::string::npos);
    SetDataFolderChoice({"/srv/my notes", true});
    ASSERT_EQ(a.write("/usr/bin/veltrin", true), Autostart::Result::Written);
    EXPECT_NE(test::readAll(XdgAutostart::entryPath("/srv/my notes"))
                  .find("Exec=/usr/bin/veltrin --data \"/srv/my notes\" /autorun\n"),
              std::string::npos);
    // The folder the program finds by itself is not named, and its entry is
    // another one: a user with two folders has both started at login.
    SetDataFolderChoice({"/home/ann/.local/share/veltrin", false});
    ASSERT_EQ(a.write("/usr/bin/veltrin", true), Autostart::Result::Written);
    EXPECT_NE(test::readAll(XdgAutostart::entryPath()).find("Exec=/usr/bin/veltrin /autorun\n"),
              std::string::npos);
    EXPECT_NE(test::readAll(XdgAutostart::entryPath("/srv/my notes")).find("--data"), std::string::npos);
    EXPECT_NE(XdgAutostart::entryPath("/srv/my notes"), XdgAutostart::entryPath("/srv/other"));
    // Switched off for one folder, the other's entry stays on.
    SetDataFolderChoice({"/srv/my notes", true});
    ASSERT_EQ(a.write("/usr/bin/veltrin", false), Autostart::Result::Written);
    EXPECT_NE(test::readAll(XdgAutostart::entryPath()).find("Exec="), std::string::npos);
    SetDataFolderChoice({});
}
