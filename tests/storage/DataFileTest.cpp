#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "storage/DataFile.h"
#include "storage/SafeFile.h"
#include "support/Fakes.h"
#include "support/Faults.h"

using namespace veltrin;
using veltrin::test::ProgramFolder;
using veltrin::test::readAll;
using veltrin::test::RunInChild;
using veltrin::test::TemporariesUnder;
using veltrin::test::writeAll;
namespace fs = std::filesystem;

namespace {

// A small file kind of two numbers and a text, enough to exercise the skeleton.
struct Sample {
    std::int32_t a = 0, b = 0;
    std::string text;
    void transfer(Archive& ar) {
        ar.int32(a);
        ar.int32(b);
        ar.countedString(text);
    }
};

bool serialize(Sample& s, bool storing) {
    return SerializeDataFile(storing, kEventsFile, [&s](Archive& ar) { s.transfer(ar); });
}

std::string header(const std::string& signature, std::uint32_t version = kDefaultVersionBits) {
    std::string h;
    for (int i = 0; i < 4; ++i) h += static_cast<char>((version >> (8 * i)) & 0xFF);
    h += static_cast<char>(signature.size());
    return h + signature;
}

std::string sampleBytes(std::uint32_t version = kDefaultVersionBits) {
    return header("Events", version) + std::string(
                                           "\x01\0\0\0\x02\0\0\0\x03"
                                           "abc",
                                           12);
}

class DataFileTest : public ::testing::Test {
protected:
    void SetUp() override { SharedVersion() = kDefaultVersionBits; }
    void TearDown() override { SharedVersion() = kDefaultVersionBits; }
    std::string events() const { return folder.file("Events.dat").string(); }
    FileState state() const { return StateOfFile(events()).value_or(FileState{}); }
    ProgramFolder folder;
};

// What a child saw of a store: whether it succeeded, the messages, whether
// the old bytes and no temporary are left.
std::string storeReport(Sample& s, const ProgramFolder& folder, const std::string& oldBytes) {
    const bool stored = serialize(s, true);
    std::string report = stored ? "stored" : "failed";
    for (const std::string& text : folder.messages.texts()) report += "; " + text;
    if (readAll(folder.file("Events.dat")) != oldBytes) report += "; old bytes changed";
    if (!TemporariesUnder(folder.data()).empty()) report += "; temporary left";
    return report;
}

}  // namespace

TEST_F(DataFileTest, StoreWritesHeaderThenBody) {
    Sample s{1, 2, "abc"};
    ASSERT_TRUE(serialize(s, true));
    EXPECT_EQ(readAll(folder.file("Events.dat")), sampleBytes());
    EXPECT_TRUE(folder.messages.shown.empty());
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.data()), {}), 1);
}

TEST_F(DataFileTest, MissingFileSaysCannotFindAndLeavesMemory) {
    Sample s{5, 6, "keep"};
    EXPECT_FALSE(serialize(s, false));
    EXPECT_EQ(folder.messages.texts(), std::vector<std::string>{"Cannot find Events.dat"});
    EXPECT_EQ(folder.messages.shown[0].caption, "Veltrin");
    EXPECT_EQ(folder.messages.shown[0].icon, Messages::Icon::Exclamation);
    EXPECT_EQ(s.a, 5);
    EXPECT_EQ(s.text, "keep");
}

TEST_F(DataFileTest, SignatureIsCaseSensitiveAndOnlyTheVersionIsTaken) {
    const std::string foreign = header("events", 0x40000000) + std::string(12, '\x07');
    writeAll(folder.file("Events.dat"), foreign);
    Sample s{5, 6, "keep"};
    EXPECT_FALSE(serialize(s, false));
    ASSERT_GE(folder.messages.shown.size(), 2u);
    EXPECT_EQ(folder.messages.shown[0].text, "Wrong file format!");
    EXPECT_NE(folder.messages.shown[1].text.find("Events.dat.damaged"), std::string::npos);
    EXPECT_EQ(s.a, 5);
    EXPECT_EQ(SharedVersion(), 0x40000000u);
    EXPECT_EQ(readAll(folder.file("Events.dat.damaged")), foreign);
}

TEST_F(DataFileTest, VersionReadIsWrittenByTheNextStore) {
    writeAll(folder.file("Events.dat"), sampleBytes(0x40000000) + "trailing bytes are ignored");
    Sample s;
    ASSERT_TRUE(serialize(s, false));
    EXPECT_EQ(s.a, 1);
    EXPECT_EQ(s.b, 2);
    EXPECT_EQ(s.text, "abc");
    ASSERT_TRUE(serialize(s, true));
    EXPECT_EQ(readAll(folder.file("Events.dat")), sampleBytes(0x40000000));
}

TEST_F(DataFileTest, TruncatedFileKeepsWhatWasReadAndIsCopiedAside) {
    const std::string good = sampleBytes();
    writeAll(folder.file("Events.dat"), good.substr(0, good.size() - 2));
    Sample s{0, 0, "before"};
    EXPECT_FALSE(serialize(s, false));
    EXPECT_EQ(s.a, 1);
    EXPECT_EQ(s.b, 2);
    EXPECT_EQ(s.text, "before");
    ASSERT_EQ(folder.messages.shown.size(), 1u);
    const std::string& text = folder.messages.shown[0].text;
    EXPECT_NE(text.find("damaged"), std::string::npos);
    EXPECT_NE(text.find("byte 20"), std::string::npos) << text;
    EXPECT_NE(text.find("Events.dat.damaged"), std::string::npos);
    EXPECT_EQ(readAll(folder.file("Events.dat.damaged")), good.substr(0, good.size() - 2));

    // A second damaged load keeps the first copy and makes another.
    writeAll(folder.file("Events.dat"), "xx");
    EXPECT_FALSE(serialize(s, false));
    EXPECT_EQ(readAll(folder.file("Events.dat.damaged-2")), "xx");
    EXPECT_EQ(readAll(folder.file("Events.dat.damaged")), good.substr(0, good.size() - 2));
}

TEST_F(DataFileTest, EveryTruncationFailsCleanly) {
    const std::string good = sampleBytes();
    for (std::size_t n = 0; n < good.size(); ++n) {
        writeAll(folder.file("Events.dat"), good.substr(0, n));
        Sample s;
        EXPECT_FALSE(serialize(s, false)) << n;
    }
}

TEST_F(DataFileTest, MissingDataFolderFailsTheStore) {
    std::filesystem::remove_all(folder.data());
    Sample s{1, 2, "abc"};
    EXPECT_FALSE(serialize(s, true));
    EXPECT_EQ(folder.messages.texts(), std::vector<std::string>{"Unable to write configuration file!"});
    EXPECT_FALSE(std::filesystem::exists(folder.data()));
}

TEST_F(DataFileTest, WriteFailingPartWayLeavesTheOldFileAndALaterSaveSucceeds) {
    Sample s{9, 9, std::string(100000, 'z')};
    const std::string newBytes =
        header("Events") + std::string("\x09\0\0\0\x09\0\0\0", 8) + Archive::lengthPrefix(100000) + s.text;
    // The limit met in the header, inside the buffer, at its edge, in a large
    // text written straight through, and one byte short of the end.
    for (rlim_t limit : {0, 20, 4095, 4096, 4097, 10000, 100025}) {
        fs::remove_all(folder.data());
        fs::create_directories(folder.data());
        const std::string report = RunInChild([&] {
            Sample old{1, 2, "abc"};
            if (!serialize(old, true)) return std::string("first store failed");
            test::LimitFileWrites(limit);
            std::string r = storeReport(s, folder, sampleBytes());
            // Space is back: the same records are written at the next save.
            test::LiftFileWriteLimit();
            folder.messages.shown.clear();
            const bool stored = serialize(s, true) && folder.messages.shown.empty();
            r += stored && readAll(folder.file("Events.dat")) == newBytes ? " | then stored" : " | then not";
            return r;
        });
        EXPECT_EQ(report, "failed; Unable to write configuration file! | then stored") << "limit " << limit;
        EXPECT_TRUE(TemporariesUnder(folder.data()).empty());
    }
    EXPECT_EQ(newBytes.size(), 100026u);
}

TEST_F(DataFileTest, ReadOnlyFolderLeavesTheOldFile) {
    writeAll(events(), sampleBytes());
    test::MakeReadOnlyForOthers(folder.data(), folder.root);
    Sample s{9, 9, "new"};
    const std::string report = RunInChild([&] {
        if (!test::DropRoot()) return std::string("cannot drop root");
        return storeReport(s, folder, sampleBytes());
    });
    EXPECT_EQ(report, "failed; Unable to write configuration file!");
}

TEST_F(DataFileTest, FolderRemovedBetweenTwoSavesFailsUntilItIsBack) {
    Sample s{1, 2, "abc"};
    ASSERT_TRUE(serialize(s, true));
    fs::remove_all(folder.data());
    EXPECT_FALSE(serialize(s, true));  // nothing changed, yet the file is gone
    EXPECT_EQ(folder.messages.texts(), std::vector<std::string>{"Unable to write configuration file!"});
    EXPECT_FALSE(fs::exists(folder.data())) << "a store never makes the data folder";
    fs::create_directories(folder.data());
    EXPECT_TRUE(serialize(s, true));
    EXPECT_EQ(readAll(events()), sampleBytes());
}

// ---- no needless rewrites -------------------------------------------------

TEST_F(DataFileTest, StoreOfTheSameBytesLeavesTheFileAlone) {
    Sample s{1, 2, "abc"};
    ASSERT_TRUE(serialize(s, true));
    const FileState first = state();
    ASSERT_TRUE(serialize(s, true));
    EXPECT_EQ(state(), first) << "rewritten with nothing changed";

    // A change of the same length is still a change.
    s.text = "abd";
    ASSERT_TRUE(serialize(s, true));
    EXPECT_NE(state().inode, first.inode);
    const std::string changed = readAll(events());
    EXPECT_EQ(changed, sampleBytes().substr(0, sampleBytes().size() - 1) + "d");

    // What was left in place is what a forced rewrite writes.
    const FileState kept = state();
    ForgetStoredDigests();
    ASSERT_TRUE(serialize(s, true));
    EXPECT_NE(state().inode, kept.inode);
    EXPECT_EQ(readAll(events()), changed);
    EXPECT_TRUE(folder.messages.shown.empty());
}

TEST_F(DataFileTest, FileLoadedWholeIsWrittenOnlyOnceItsRecordsChange) {
    writeAll(events(), sampleBytes());
    Sample s;
    ASSERT_TRUE(serialize(s, false));
    const FileState loaded = state();
    ASSERT_TRUE(serialize(s, true));
    EXPECT_EQ(state(), loaded);
    s.a = 7;
    ASSERT_TRUE(serialize(s, true));
    EXPECT_NE(state(), loaded);
    EXPECT_EQ(readAll(events()).substr(0, 15), sampleBytes().substr(0, 11) + std::string("\x07\0\0\0", 4));

    // Bytes after the records are not what a store writes: the file is
    // rewritten, also when the records end where a read block does and the
    // rest is never read.
    writeAll(events(), sampleBytes() + "tail");
    ASSERT_TRUE(serialize(s, false));
    ASSERT_TRUE(serialize(s, true));
    EXPECT_EQ(readAll(events()), sampleBytes());
    const std::string blocks =
        header("Events") + std::string(8, '\0') + Archive::lengthPrefix(8170) + std::string(8170, 't');
    ASSERT_EQ(blocks.size(), 2 * Archive::kBufferSize);
    writeAll(events(), blocks + "tail");
    ASSERT_TRUE(serialize(s, false));
    ASSERT_TRUE(serialize(s, true));
    EXPECT_EQ(readAll(events()), blocks);
}

TEST_F(DataFileTest, FileChangedByAnotherProgramIsWrittenAsBefore) {
    Sample s{1, 2, "abc"};
    ASSERT_TRUE(serialize(s, true));
    const std::string ours = sampleBytes();
    const std::string theirs = header("Events") + std::string("\x05\0\0\0\x06\0\0\0\x03xyz", 12);
    ASSERT_EQ(theirs.size(), ours.size());

    // Replaced by a new file of the same size.
    writeAll(folder.file("other"), theirs);
    fs::rename(folder.file("other"), events());
    ASSERT_TRUE(serialize(s, true));
    EXPECT_EQ(readAll(events()), ours);

    // Written in place with the same size: only its time tells.
    writeAll(events(), theirs);
    const timespec times[2] = {{0, UTIME_OMIT}, {1'600'000'000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, events().c_str(), times, 0), 0);
    ASSERT_TRUE(serialize(s, true));
    EXPECT_EQ(readAll(events()), ours);

    // Cut short in place.
    writeAll(events(), "xx");
    ASSERT_TRUE(serialize(s, true));
    EXPECT_EQ(readAll(events()), ours);

    // Removed.
    fs::remove(events());
    ASSERT_TRUE(serialize(s, true));
    EXPECT_EQ(readAll(events()), ours);
    EXPECT_TRUE(folder.messages.shown.empty());
}

// ---- temporaries of killed stores -----------------------------------------

TEST_F(DataFileTest, StaleTemporariesGoAndEverythingElseStays) {
    const fs::path day = folder.data() / "backup" / "2024-03-01";
    fs::create_directories(day);
    fs::create_directories(folder.data() / "backup" / "not-a-day");
    const std::vector<fs::path> stale = {folder.file(".Contacts.dat.veltrin-tmp-a1B2c3"),
                                         folder.file(".Settings.dat.veltrin-tmp-ZZZZZZ"),
                                         day / ".Diary.dat.veltrin-tmp-000000"};
    const std::vector<fs::path> foreign = {
        folder.file(".Contacts.dat.veltrin-tmp-a1B2c"),  // one letter short
        folder.file(".Contacts.dat.veltrin-tmp-a1B2c3.keep"),
        folder.file("Contacts.dat.veltrin-tmp-a1B2c3"),  // no leading dot
        folder.file(".Other.dat.veltrin-tmp-a1B2c3"),    // not a data file
        folder.file(".Contacts.dat.backup"),             // someone's own copy
        folder.file(".Contacts.dat.veltrin-tmp-a1_2c3"),
        folder.data() / "backup" / "not-a-day" / ".Diary.dat.veltrin-tmp-000000",
        folder.root / "elsewhere.dat"};
    for (const fs::path& p : stale) writeAll(p, "partial");
    for (const fs::path& p : foreign) writeAll(p, "keep me");
    // Only files go: a folder or a link of that name is not ours.
    fs::create_directory(folder.file(".Events.dat.veltrin-tmp-QQQQQQ"));
    fs::create_symlink(folder.root / "elsewhere.dat", folder.file(".Notes.dat.veltrin-tmp-LLLLLL"));

    EXPECT_EQ(RemoveStaleTemporaries(folder.data().string()), stale.size());
    for (const fs::path& p : stale) EXPECT_FALSE(fs::exists(p)) << p;
    for (const fs::path& p : foreign) EXPECT_EQ(readAll(p), "keep me") << p;
    EXPECT_TRUE(fs::is_directory(folder.file(".Events.dat.veltrin-tmp-QQQQQQ")));
    EXPECT_TRUE(fs::is_symlink(folder.file(".Notes.dat.veltrin-tmp-LLLLLL")));
    EXPECT_EQ(RemoveStaleTemporaries(folder.data().string()), 0u);
    EXPECT_EQ(RemoveStaleTemporaries((folder.root / "missing").string()), 0u);
}
