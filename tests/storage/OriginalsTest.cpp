// The kept originals of other programs' items: whole through a store and a
// load, backed up like the data files, and refused when damaged.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "storage/Backups.h"
#include "storage/Originals.h"
#include "support/Fakes.h"

using namespace veltrin;
namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kNow = 1'796'601'600;  // 2026-12-07 00:00 UT

}  // namespace

TEST(Originals, EveryByteComesBackAndADamagedFileIsAnError) {
    test::ProgramFolder folder;
    const fs::path sync = folder.data() / "sync";
    fs::create_directories(sync);
    const std::string path = (sync / kOriginalsFileName).string();
    std::string why;
    Originals none;
    ASSERT_TRUE(none.Load(path, why)) << why;  // none kept yet
    EXPECT_TRUE(none.empty());

    Originals kept;
    const std::string item =
        "BEGIN:VCALENDAR\r\nX-A:tab\there\\;back\\\\slash\r\n caf\xC3\xA9\n\xFF\r\nEND:VCALENDAR\r\n";
    kept.of("events")["event:7"] = {item, kNow - 60};
    kept.of("contacts")["contact:a\tb"] = {"", -5};
    ASSERT_TRUE(kept.Save(path, kNow, why)) << why;
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::others_read, fs::perms::none);
    Originals read;
    ASSERT_TRUE(read.Load(path, why)) << why;
    ASSERT_NE(read.find("events", "event:7"), nullptr);
    EXPECT_EQ(read.find("events", "event:7")->text, item);
    EXPECT_EQ(read.find("events", "event:7")->readAt, kNow - 60);
    ASSERT_NE(read.find("contacts", "contact:a\tb"), nullptr);
    EXPECT_EQ(read.find("contacts", "contact:a\tb")->readAt, -5);
    EXPECT_EQ(read.find("events", "event:8"), nullptr);

    // Replaced on the same day: the version from before is in the day's backup.
    read.of("events").erase("event:7");
    ASSERT_TRUE(read.Save(path, kNow + 10, why)) << why;
    const fs::path copy = sync / "backup" / BackupDayOf(kNow + 10) / kOriginalsFileName;
    ASSERT_TRUE(fs::exists(copy));
    Originals before;
    ASSERT_TRUE(before.Load(copy.string(), why)) << why;
    EXPECT_NE(before.find("events", "event:7"), nullptr);

    for (const char* damaged :
         {"veltrin originals 1\noriginal\tevents\tevent:1\n",
          "veltrin originals 1\noriginal\tevents\tevent:1\tsoon\ttext\n",
          "veltrin originals 1\noriginal\tevents\tevent:1\t5\tbad\\qescape\n", "something else\n"}) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << damaged;
        EXPECT_FALSE(read.Load(path, why)) << damaged;
        EXPECT_TRUE(read.empty());
    }
}
