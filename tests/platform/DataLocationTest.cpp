#include "platform/DataLocation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/ModuleFolder.h"
#include "support/Fakes.h"

using namespace veltrin;
namespace fs = std::filesystem;

namespace {

struct DataLocation : ::testing::Test {
    fs::path root;
    DataLocation() {
        char tmpl[] = "/tmp/veltrin-location-XXXXXX";
        root = ::mkdtemp(tmpl);
    }
    ~DataLocation() override {
        SetDataFolderChoice({});
        SetExecutablePathForTesting("");
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    std::string exe() const { return (root / "bin" / "veltrin").string(); }
    static unsigned modeOf(const fs::path& p) {
        struct stat st {};
        return ::stat(p.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
    }
};

}  // namespace

TEST_F(DataLocation, DataBesideTheProgramWinsThenXdgDataHomeThenHome) {
    fs::create_directories(root / "bin");
    const std::string home = (root / "home").string();
    const std::string xdg = (root / "xdg").string();

    EXPECT_EQ(ChooseDataFolder(exe(), "", xdg.c_str(), home.c_str()).folder, xdg + "/veltrin");
    EXPECT_EQ(ChooseDataFolder(exe(), "", nullptr, home.c_str()).folder, home + "/.local/share/veltrin");
    EXPECT_EQ(ChooseDataFolder(exe(), "", "", home.c_str()).folder, home + "/.local/share/veltrin");
    // A relative XDG_DATA_HOME is not to be used.
    EXPECT_EQ(ChooseDataFolder(exe(), "", "rel/dir", home.c_str()).folder, home + "/.local/share/veltrin");

    // The build tree and a portable copy keep their data beside the program.
    fs::create_directories(root / "bin" / "data");
    const DataFolderChoice beside = ChooseDataFolder(exe(), "", xdg.c_str(), home.c_str());
    EXPECT_EQ(beside.folder, (root / "bin" / "data").string());
    EXPECT_FALSE(beside.requested);
}

TEST_F(DataLocation, DataOptionNamesAnotherFolder) {
    fs::create_directories(root / "bin");
    const std::string home = (root / "home").string();
    const DataFolderChoice other = ChooseDataFolder(exe(), "/srv/notes", nullptr, home.c_str());
    EXPECT_EQ(other.folder, "/srv/notes");
    EXPECT_TRUE(other.requested);
    // Naming the usual folder is the same as naming none.
    const DataFolderChoice same =
        ChooseDataFolder(exe(), home + "/.local/share/veltrin/", nullptr, home.c_str());
    EXPECT_EQ(same.folder, home + "/.local/share/veltrin");
    EXPECT_FALSE(same.requested);

    std::string error;
    EXPECT_EQ(DataArgument({"/autorun", "--data", "/a/b/../c/"}, &error), "/a/c");
    EXPECT_EQ(DataArgument({"--data=/x"}, &error), "/x");
    EXPECT_EQ(DataArgument({"/autorun"}, &error), "");
    EXPECT_TRUE(error.empty());
    EXPECT_EQ(DataArgument({"rel"}, &error), "");  // a bare word is no option

    const std::string cwd = fs::current_path().string();
    EXPECT_EQ(DataArgument({"--data", "mine"}, &error), cwd + "/mine");
    EXPECT_TRUE(error.empty());

    EXPECT_EQ(DataArgument({"--data"}, &error), "");
    EXPECT_EQ(error, "--data needs a folder.");
    error.clear();
    EXPECT_EQ(DataArgument({"--data="}, &error), "");
    EXPECT_EQ(error, "--data needs a folder.");
}

TEST_F(DataLocation, FirstStartMakesThePrivateFolderOnce) {
    const fs::path folder = root / "home" / ".local" / "share" / "veltrin";
    EXPECT_EQ(PrepareDataFolder(folder.string()), DataFolderState::Created);
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(modeOf(root / "home" / ".local"), 0700u);
    EXPECT_EQ(PrepareDataFolder(folder.string()), DataFolderState::Existing);

    // An existing folder keeps its mode: the user may have chosen it.
    fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    EXPECT_EQ(PrepareDataFolder(folder.string()), DataFolderState::Existing);
    EXPECT_EQ(modeOf(folder), 0750u);

    test::writeAll(root / "file", "x");
    EXPECT_EQ(PrepareDataFolder((root / "file" / "veltrin").string()), DataFolderState::Failed);
    EXPECT_EQ(PrepareDataFolder(""), DataFolderState::Failed);
}

TEST_F(DataLocation, DataFilesFollowTheChosenFolder) {
    SetExecutablePathForTesting(exe());
    EXPECT_EQ(DataFilePath("Notes.dat"), (root / "bin" / "data" / "Notes.dat").string());
    SetDataFolderChoice({"/home/ann/.local/share/veltrin", false});
    EXPECT_EQ(DataFolder(), "/home/ann/.local/share/veltrin");
    EXPECT_EQ(DataFilePath("Notes.dat"), "/home/ann/.local/share/veltrin/Notes.dat");
    SetDataFolderChoice({});
    EXPECT_EQ(DataFolder(), (root / "bin" / "data").string());
}

TEST_F(DataLocation, ShippedFilesLieInShareWhenInstalled) {
    fs::create_directories(root / "bin");
    EXPECT_EQ(ShippedFolderOf(exe()), (root / "bin").string());
    fs::create_directories(root / "share" / "veltrin");
    EXPECT_EQ(ShippedFolderOf(exe()), (root / "share" / "veltrin").string());
}
