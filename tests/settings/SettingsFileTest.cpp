#include <gtest/gtest.h>

#include <algorithm>

#include "settings/AppSettings.h"
#include "storage/DataFile.h"
#include "support/Fakes.h"

using namespace veltrin;
using veltrin::test::ProgramFolder;
using veltrin::test::readAll;
using veltrin::test::writeAll;

namespace {

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override { SharedVersion() = kDefaultVersionBits; }
    void TearDown() override { SharedVersion() = kDefaultVersionBits; }
    ProgramFolder folder;
};

std::string storedDefaults(ProgramFolder& folder) {
    AppSettings s;
    ApplySettingsDefaults(s);
    EXPECT_TRUE(SerializeSettings(s, true));
    return readAll(folder.file("Settings.dat"));
}

}  // namespace

TEST_F(SettingsFileTest, FirstStartRunsOnDefaults) {
    AppSettings s;
    s.townIndex = 3;
    EXPECT_FALSE(SerializeSettings(s, false));
    EXPECT_EQ(folder.messages.texts(), std::vector<std::string>{"Cannot find Settings.dat"});
    EXPECT_EQ(s.townIndex, 79);
    EXPECT_EQ(s.currentView, 0);
    EXPECT_EQ(s.defaultDiaryTemplate, "Diary Blue");
    EXPECT_EQ(s.priorityColour, 0x000000FFu);
    EXPECT_EQ(s.reservedTime, folder.clock.t);
    EXPECT_EQ(s.contactColumns[0].name, "Name");
    EXPECT_EQ(s.contactColumns[28].name, "Notes");
    EXPECT_EQ(s.contactColumns[14].name, "Personal Web Page");
    // The entry starts the program at login until a store says otherwise.
    ASSERT_EQ(folder.autostart.calls.size(), 1u);
    EXPECT_TRUE(folder.autostart.calls[0].enabled);
    EXPECT_EQ(folder.autostart.calls[0].path, (folder.root / "veltrin").string());
}

TEST_F(SettingsFileTest, DefaultsFileHasTheStoredLayout) {
    const std::string bytes = storedDefaults(folder);
    // Header, then skinColour and buttonColour.
    EXPECT_EQ(bytes.substr(0, 13), std::string("\xCD\xCC\x8C\x3F\x08Settings", 13));
    EXPECT_EQ(bytes.substr(13, 8), std::string("\xFF\xFF\xFF\x00\xFF\xFF\xFF\x00", 8));
    EXPECT_EQ(bytes.substr(21, 11), std::string("\x0A") + "Diary Blue");
    // Ends with the last column: "Notes", width 100, shown 1.
    EXPECT_EQ(bytes.substr(bytes.size() - 14), std::string("\x05Notes\x64\0\0\0\x01\0\0\0", 14));
}

TEST_F(SettingsFileTest, LoadAndStoreAgainIsByteIdentical) {
    folder.clock.t = 1'234'567'890;
    const std::string first = storedDefaults(folder);
    folder.clock.t = 1'500'000'000;  // reservedTime must come from the file, not the clock
    AppSettings s;
    ASSERT_TRUE(SerializeSettings(s, false));
    ASSERT_TRUE(SerializeSettings(s, true));
    EXPECT_EQ(readAll(folder.file("Settings.dat")), first);
}

TEST_F(SettingsFileTest, ChosenColumnOrderAndFlagsSurviveARestart) {
    AppSettings s;
    ApplySettingsDefaults(s);
    auto& cols = s.contactColumns;
    std::rotate(cols.begin(), cols.begin() + 24, cols.begin() + 25);  // "Company" to the front
    cols[5].shown = 0;                                                // "Nickname"
    cols[2].width = 240;
    s.currentView = 3;
    s.reservedText = "kept as found";
    s.reservedNumber = -17;
    ASSERT_TRUE(SerializeSettings(s, true));

    AppSettings back;
    ASSERT_TRUE(SerializeSettings(back, false));
    for (int i = 0; i < kContactColumnCount; ++i) {
        EXPECT_EQ(back.contactColumns[i].name, cols[i].name) << i;
        EXPECT_EQ(back.contactColumns[i].width, cols[i].width) << i;
        EXPECT_EQ(back.contactColumns[i].shown, cols[i].shown) << i;
    }
    EXPECT_EQ(back.contactColumns[0].name, "Company");
    EXPECT_EQ(back.contactColumns[5].name, "Nickname");
    EXPECT_EQ(back.currentView, 3);
    EXPECT_EQ(back.reservedText, "kept as found");
    EXPECT_EQ(back.reservedNumber, -17);
}

TEST_F(SettingsFileTest, EveryTruncationReportsFailureWithoutCrashing) {
    const std::string good = storedDefaults(folder);
    for (std::size_t n = 0; n < good.size(); ++n) {
        writeAll(folder.file("Settings.dat"), good.substr(0, n));
        folder.messages.shown.clear();
        AppSettings s;
        EXPECT_FALSE(SerializeSettings(s, false)) << n;
        EXPECT_FALSE(folder.messages.shown.empty()) << n;
        std::error_code ec;
        for (auto& e : std::filesystem::directory_iterator(folder.data()))
            if (e.path().filename() != "Settings.dat") std::filesystem::remove(e.path(), ec);
    }
}

TEST_F(SettingsFileTest, LowerCaseSignatureIsAForeignFile) {
    std::string bytes = storedDefaults(folder);
    bytes.replace(5, 8, "settings");
    writeAll(folder.file("Settings.dat"), bytes);
    AppSettings s;
    EXPECT_FALSE(SerializeSettings(s, false));
    ASSERT_FALSE(folder.messages.shown.empty());
    EXPECT_EQ(folder.messages.shown[0].text, "Wrong file format!");
    EXPECT_EQ(s.townIndex, 79);
}

TEST_F(SettingsFileTest, AutostartFollowsTheStoredChoice) {
    AppSettings s;
    ApplySettingsDefaults(s);
    s.runOnStartup = 0;
    ASSERT_TRUE(SerializeSettings(s, true));
    ASSERT_EQ(folder.autostart.calls.size(), 1u);
    EXPECT_FALSE(folder.autostart.calls[0].enabled);

    // Loading writes the default (on) before the stored choice is read.
    ASSERT_TRUE(SerializeSettings(s, false));
    EXPECT_TRUE(folder.autostart.calls[1].enabled);
    EXPECT_EQ(s.runOnStartup, 0);
}

TEST_F(SettingsFileTest, AutostartWriteFailureIsReportedAndTheFileStillWritten) {
    folder.autostart.result = Autostart::Result::WriteFailed;
    AppSettings s;
    ApplySettingsDefaults(s);
    EXPECT_TRUE(SerializeSettings(s, true));
    ASSERT_EQ(folder.messages.shown.size(), 1u);
    EXPECT_EQ(folder.messages.shown[0].text, "Error to write the Registry!");
    EXPECT_EQ(folder.messages.shown[0].caption, "veltrin");
    EXPECT_TRUE(std::filesystem::exists(folder.file("Settings.dat")));

    // A folder that cannot be made is not reported.
    folder.messages.shown.clear();
    folder.autostart.result = Autostart::Result::NoFolder;
    EXPECT_TRUE(SerializeSettings(s, true));
    EXPECT_TRUE(folder.messages.shown.empty());
}

TEST_F(SettingsFileTest, FailedStoreLeavesMemoryUnchanged) {
    std::filesystem::remove_all(folder.data());
    AppSettings s;
    ApplySettingsDefaults(s);
    s.townIndex = 12;
    EXPECT_FALSE(SerializeSettings(s, true));
    EXPECT_EQ(s.townIndex, 12);
    EXPECT_EQ(folder.messages.texts(), std::vector<std::string>{"Unable to write configuration file!"});
}
