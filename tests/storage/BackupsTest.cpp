#include <gtest/gtest.h>

#include <filesystem>

#include "storage/Backups.h"
#include "storage/DataFile.h"
#include "support/Fakes.h"
#include "support/Faults.h"
#include "support/ScopedZone.h"

using namespace veltrin;
using veltrin::test::readAll;
using veltrin::test::writeAll;
namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kFirstNoon = 1'709'294'400;  // 2024-03-01 12:00 UTC

class BackupsTest : public ::testing::Test {
protected:
    // Stores Notes.dat holding one text, on the given day after the first.
    bool storeOn(int day, const std::string& text) {
        folder.clock.t = kFirstNoon + day * kDay;
        std::string t = text;
        return SerializeDataFile(true, kNotesFile, [&t](Archive& ar) { ar.countedString(t); });
    }
    // What such a store writes.
    static std::string bytesOf(const std::string& text) {
        std::string b;
        for (int i = 0; i < 4; ++i) b += static_cast<char>((kDefaultVersionBits >> (8 * i)) & 0xFF);
        return b + Archive::lengthPrefix(5) + "Notes" + Archive::lengthPrefix(text.size()) + text;
    }
    fs::path backup() const { return folder.data() / "backup"; }
    std::vector<std::string> days() const { return BackupDays(folder.data().string()); }

    test::ScopedZone zone{"UTC"};
    test::ProgramFolder folder;
};

}  // namespace

TEST(BackupDays, NamedByTheLocalCalendarDay) {
    const std::int64_t evening = kFirstNoon + 8 * 3600;  // 20:00 UTC
    {
        test::ScopedZone utc("UTC");
        EXPECT_EQ(BackupDayOf(evening), "2024-03-01");
    }
    {
        test::ScopedZone auckland("Pacific/Auckland");
        EXPECT_EQ(BackupDayOf(evening), "2024-03-02");
    }
    EXPECT_TRUE(IsBackupDayName("2024-03-01"));
    EXPECT_TRUE(IsBackupDayName("1999-12-31"));
    for (const char* name : {"2024-3-01", "2024-13-01", "2024-00-10", "2024-01-32", "2024_01_01",
                             "2024-01-01x", "20a4-01-01", ""})
        EXPECT_FALSE(IsBackupDayName(name)) << name;
}

TEST_F(BackupsTest, FirstReplacementOfEachDayKeepsTheVersionBeforeIt) {
    ASSERT_TRUE(storeOn(0, "v1"));
    EXPECT_FALSE(fs::exists(backup())) << "a new file has nothing to keep";
    ASSERT_TRUE(storeOn(0, "v2"));
    ASSERT_TRUE(storeOn(0, "v3"));
    EXPECT_EQ(readAll(folder.file("Notes.dat")), bytesOf("v3"));
    EXPECT_EQ(readAll(backup() / "2024-03-01" / "Notes.dat"), bytesOf("v1"))
        << "the day's first version stays";

    ASSERT_TRUE(storeOn(1, "v3"));  // nothing changed: nothing replaced, nothing kept
    EXPECT_EQ(days(), std::vector<std::string>{"2024-03-01"});
    ASSERT_TRUE(storeOn(1, "v4"));
    EXPECT_EQ(readAll(backup() / "2024-03-02" / "Notes.dat"), bytesOf("v3"));

    ASSERT_TRUE(storeOn(2, "v5"));
    EXPECT_EQ(readAll(backup() / "2024-03-03" / "Notes.dat"), bytesOf("v4"));
    EXPECT_EQ(days(), (std::vector<std::string>{"2024-03-01", "2024-03-02", "2024-03-03"}));
    // Only the file replaced is kept, nothing else is left there.
    EXPECT_EQ(std::distance(fs::directory_iterator(backup() / "2024-03-03"), {}), 1);
    EXPECT_TRUE(test::TemporariesUnder(folder.data()).empty());
    EXPECT_TRUE(folder.messages.shown.empty());
}

TEST_F(BackupsTest, TheNewestFourteenDaysWithCopiesStayAndNothingForeignGoes) {
    // Things Veltrin did not make, older than every copy.
    fs::create_directories(backup() / "2000-01-01");
    writeAll(backup() / "2000-01-01" / "readme.txt", "mine");
    fs::create_directories(backup() / "2000-01-02");
    writeAll(folder.root / "target.dat", "target");
    fs::create_symlink(folder.root / "target.dat", backup() / "2000-01-02" / "Notes.dat");
    fs::create_directories(backup() / "2000-01-03" / "Notes.dat");
    fs::create_directories(backup() / "old");
    writeAll(backup() / "old" / "Notes.dat", "old");
    writeAll(backup() / "1999-12-31", "a file");
    fs::create_directory_symlink(folder.root, backup() / "1999-12-30");
    // Made by Veltrin and left empty: goes once it is out of the window.
    fs::create_directories(backup() / "2000-01-04");

    ASSERT_TRUE(storeOn(0, "day 0"));
    for (int day = 1; day < 20; ++day) {
        ASSERT_TRUE(storeOn(day, "day " + std::to_string(day)));
        std::size_t ours = 0;
        for (const std::string& d : days()) ours += d >= "2024";
        EXPECT_EQ(ours, std::min(day, kBackupDaysKept)) << "after day " << day;
    }
    // Days 1 to 19 kept a copy; the newest fourteen are 6 to 19.
    std::vector<std::string> expected = {"2000-01-01", "2000-01-02", "2000-01-03"};
    for (int day = 6; day < 20; ++day) expected.push_back(BackupDayOf(kFirstNoon + day * kDay));
    EXPECT_EQ(days(), expected);
    EXPECT_EQ(readAll(backup() / BackupDayOf(kFirstNoon + 6 * kDay) / "Notes.dat"), bytesOf("day 5"));
    EXPECT_EQ(readAll(backup() / "2000-01-01" / "readme.txt"), "mine");
    EXPECT_EQ(readAll(folder.root / "target.dat"), "target");
    EXPECT_TRUE(fs::is_symlink(backup() / "2000-01-02" / "Notes.dat"));
    EXPECT_TRUE(fs::is_directory(backup() / "2000-01-03" / "Notes.dat"));
    EXPECT_EQ(readAll(backup() / "old" / "Notes.dat"), "old");
    EXPECT_EQ(readAll(backup() / "1999-12-31"), "a file");
    EXPECT_TRUE(fs::is_symlink(backup() / "1999-12-30"));
    EXPECT_TRUE(folder.messages.shown.empty());
}

TEST_F(BackupsTest, AFailedBackupIsToldOnceADayAndTheSaveGoesOn) {
    writeAll(backup(), "a file where the folder should be");
    ASSERT_TRUE(storeOn(0, "v1"));
    for (const char* text : {"v2", "v3"}) {
        EXPECT_TRUE(storeOn(0, text));
        EXPECT_EQ(readAll(folder.file("Notes.dat")), bytesOf(text));
    }
    ASSERT_EQ(folder.messages.shown.size(), 1u);
    const std::string text = folder.messages.shown[0].text;
    EXPECT_NE(text.find("backup copy of Notes.dat"), std::string::npos) << text;
    EXPECT_NE(text.find("Your changes were saved"), std::string::npos) << text;

    ASSERT_TRUE(storeOn(1, "v4"));
    EXPECT_EQ(folder.messages.shown.size(), 2u) << "a new day tells again";
    EXPECT_EQ(readAll(backup()), "a file where the folder should be");
}

TEST_F(BackupsTest, ACopyThatCannotBeWrittenLeavesNoFoldersBehind) {
    ASSERT_TRUE(storeOn(0, std::string(100000, 'a')));
    // Writes stop part-way through the copy; the store itself fits.
    const std::string report = test::RunInChild([&] {
        test::LimitFileWrites(50000);
        const bool stored = storeOn(1, "short") && readAll(folder.file("Notes.dat")) == bytesOf("short");
        return std::string(stored ? "stored" : "failed") + " " + std::to_string(folder.messages.shown.size());
    });
    EXPECT_EQ(report, "stored 1");
    EXPECT_FALSE(fs::exists(backup()));
}
