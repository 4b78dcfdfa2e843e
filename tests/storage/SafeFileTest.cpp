#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "storage/DataFile.h"
#include "storage/SafeFile.h"
#include "support/Fakes.h"
#include "support/Faults.h"

using namespace veltrin;
using veltrin::test::readAll;
using veltrin::test::TemporariesUnder;
using veltrin::test::writeAll;
namespace fs = std::filesystem;

namespace {

FileWriter writing(const std::string& text) {
    return [text](std::FILE* f, std::string&) {
        return std::fwrite(text.data(), 1, text.size(), f) == text.size();
    };
}

mode_t modeOf(const fs::path& p) {
    struct stat st {};
    ::stat(p.c_str(), &st);
    return st.st_mode & 07777;
}

class SafeFileTest : public ::testing::Test {
protected:
    std::string target() const { return folder.file("Notes.dat").string(); }
    test::ProgramFolder folder;
};

}  // namespace

TEST(SafeFilePaths, NameAndFolder) {
    EXPECT_EQ(FileNameOf("/a/b/Notes.dat"), "Notes.dat");
    EXPECT_EQ(FileNameOf("Notes.dat"), "Notes.dat");
    EXPECT_EQ(FolderOf("/a/b/Notes.dat"), "/a/b");
    EXPECT_EQ(FolderOf("/Notes.dat"), "/");
    EXPECT_EQ(FolderOf("Notes.dat"), ".");
}

TEST(SafeFileTemporaries, OnlyTheStoresOwnPatternIsATemporary) {
    EXPECT_TRUE(IsTemporaryOf(".Notes.dat.veltrin-tmp-aZ09xY", "Notes.dat"));
    EXPECT_FALSE(IsTemporaryOf(".Notes.dat.veltrin-tmp-aZ09x", "Notes.dat"));
    EXPECT_FALSE(IsTemporaryOf(".Notes.dat.veltrin-tmp-aZ09xYZ", "Notes.dat"));
    EXPECT_FALSE(IsTemporaryOf(".Notes.dat.veltrin-tmp-aZ-9xY", "Notes.dat"));
    EXPECT_FALSE(IsTemporaryOf(".Notes.dat.veltrin-tmp-aZ09xY", "Diary.dat"));
    EXPECT_FALSE(IsTemporaryOf("Notes.dat.veltrin-tmp-aZ09xY", "Notes.dat"));
    EXPECT_FALSE(IsTemporaryOf(".Notes.dat.aZ09xY", "Notes.dat"));
    EXPECT_TRUE(IsDataFileTemporary(".Contacts.dat.veltrin-tmp-000000"));
    EXPECT_FALSE(IsDataFileTemporary(".Contacts.txt.veltrin-tmp-000000"));
}

TEST_F(SafeFileTest, ReplacesWholeAndKeepsThePermissions) {
    writeAll(target(), "old");
    fs::permissions(target(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    FileState written;
    std::string why;
    ASSERT_TRUE(ReplaceFileSafely(target(), writing("new bytes"), &why, &written)) << why;
    EXPECT_EQ(readAll(target()), "new bytes");
    EXPECT_EQ(modeOf(target()), 0640u);
    EXPECT_EQ(StateOfFile(target()), written) << "the state given is the file's own";
    EXPECT_EQ(written.size, 9u);

    // A new file gets the mode asked for.
    ASSERT_TRUE(ReplaceFileSafely(folder.file("Diary.dat").string(), writing("x"), nullptr, nullptr, 0600));
    EXPECT_EQ(modeOf(folder.file("Diary.dat")), 0600u);
    EXPECT_TRUE(TemporariesUnder(folder.data()).empty());
}

TEST_F(SafeFileTest, EveryFailureLeavesTheOldFileAndNoTemporary) {
    writeAll(target(), "old");
    std::string why;
    // The content cannot be made.
    EXPECT_FALSE(ReplaceFileSafely(
        target(),
        [](std::FILE* f, std::string& reason) {
            std::fputs("half", f);
            reason = "ran out of records";
            return false;
        },
        &why));
    EXPECT_EQ(why, "ran out of records");
    EXPECT_EQ(readAll(target()), "old");

    // The rename cannot go through: a folder holds the name.
    fs::create_directories(folder.file("Events.dat") / "inside");
    EXPECT_FALSE(ReplaceFileSafely(folder.file("Events.dat").string(), writing("new"), &why));
    EXPECT_NE(why.find("cannot replace"), std::string::npos) << why;
    EXPECT_TRUE(fs::is_directory(folder.file("Events.dat") / "inside"));

    // No folder to write in.
    EXPECT_FALSE(ReplaceFileSafely((folder.root / "gone" / "Notes.dat").string(), writing("new"), &why));
    EXPECT_NE(why.find("cannot create a file in"), std::string::npos) << why;

    // Writes that stop part-way, as on a full disk.
    const std::string report = test::RunInChild([&] {
        test::LimitFileWrites(2);
        std::string reason;
        const bool ok = ReplaceFileSafely(target(), writing(std::string(70000, 'n')), &reason);
        return std::string(ok ? "replaced" : "failed") + ": " + reason;
    });
    EXPECT_EQ(report.rfind("failed: ", 0), 0u) << report;
    EXPECT_EQ(readAll(target()), "old");
    EXPECT_TRUE(TemporariesUnder(folder.root).empty());
}

TEST_F(SafeFileTest, AStoreKilledPartWayLeavesOnlyATemporaryThatTheNextHolderRemoves) {
    writeAll(target(), "old");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ReplaceFileSafely(target(), [&](std::FILE* f, std::string&) {
            std::fputs("half of it", f);
            std::fflush(f);
            (void)!::write(ready[1], "w", 1);
            ::pause();
            return true;
        });
        ::_exit(0);
    }
    char got = 0;
    ASSERT_EQ(::read(ready[0], &got, 1), 1);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);

    EXPECT_EQ(readAll(target()), "old");
    const std::vector<std::string> left = TemporariesUnder(folder.data());
    ASSERT_EQ(left.size(), 1u);
    EXPECT_TRUE(IsDataFileTemporary(FileNameOf(left[0]))) << left[0];
    EXPECT_EQ(readAll(left[0]), "half of it");
    EXPECT_EQ(RemoveStaleTemporaries(folder.data().string()), 1u);
    EXPECT_TRUE(TemporariesUnder(folder.data()).empty());
}

TEST_F(SafeFileTest, CopiesAsideTakeTheFirstFreeName) {
    writeAll(target(), "one");
    EXPECT_EQ(KeepCopyAside(target(), ".before-restore"), target() + ".before-restore");
    writeAll(target(), "two");
    EXPECT_EQ(KeepCopyAside(target(), ".before-restore"), target() + ".before-restore-2");
    EXPECT_EQ(readAll(target() + ".before-restore"), "one");
    EXPECT_EQ(readAll(target() + ".before-restore-2"), "two");
    EXPECT_EQ(KeepCopyAside(folder.file("Missing.dat").string(), ".x"), "");
}

TEST_F(SafeFileTest, ReadWholeFileGivesEveryByte) {
    std::string bytes;
    for (int i = 0; i < 300000; ++i) bytes += static_cast<char>(i * 7);  // NULs and high bytes too
    writeAll(target(), bytes);
    std::string text = "held before", why;
    ASSERT_TRUE(ReadWholeFile(target(), text, why)) << why;
    EXPECT_EQ(text, bytes);

    writeAll(target(), "");
    ASSERT_TRUE(ReadWholeFile(target(), text, why)) << why;
    EXPECT_EQ(text, "");
}

TEST_F(SafeFileTest, ReadWholeFileReadsWhatHasNoSize) {
    // A pipe says nothing of its size: the text still comes whole.
    const fs::path fifo = folder.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string bytes(200000, 'q');
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        writeAll(fifo.string(), bytes);
        ::_exit(0);
    }
    std::string text, why;
    EXPECT_TRUE(ReadWholeFile(fifo.string(), text, why)) << why;
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(text, bytes);
}

TEST_F(SafeFileTest, ReadWholeFileSaysWhyItFailed) {
    std::string text = "held", why;
    EXPECT_FALSE(ReadWholeFile(folder.file("absent.ics").string(), text, why));
    EXPECT_EQ(why, std::strerror(ENOENT));
    EXPECT_EQ(text, "held");

    // A folder opens but cannot be read.
    why.clear();
    EXPECT_FALSE(ReadWholeFile(folder.root.string(), text, why));
    EXPECT_EQ(why, std::strerror(EISDIR));
    EXPECT_EQ(text, "held");
}
