#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "storage/DataFile.h"
#include "support/Fakes.h"

using namespace veltrin;
using veltrin::test::ProgramFolder;
using veltrin::test::readAll;
using veltrin::test::writeAll;

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

// Root passes permission checks only through CAP_DAC_OVERRIDE. Without it in
// this thread's effective set a folder's mode binds root as it binds anyone;
// it stays permitted, so the guard can take it back.
class WithoutPermissionOverride {
public:
    WithoutPermissionOverride() {
        if (::syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
        dropped_ = ::syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~WithoutPermissionOverride() {
        if (dropped_) ::syscall(SYS_capset, &header_, saved_);
    }
    WithoutPermissionOverride(const WithoutPermissionOverride&) = delete;
    WithoutPermissionOverride& operator=(const WithoutPermissionOverride&) = delete;
    bool dropped() const { return dropped_; }

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2] = {};
    bool dropped_ = false;
};

class DataFileTest : public ::testing::Test {
protected:
    void SetUp() override { SharedVersion() = kDefaultVersionBits; }
    void TearDown() override { SharedVersion() = kDefaultVersionBits; }
    ProgramFolder folder;
};

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

TEST_F(DataFileTest, FailedWriteLeavesTheOldFileAndNoLeftovers) {
    writeAll(folder.file("Events.dat"), sampleBytes());
    Sample s{9, 9, std::string(100000, 'z')};

    // A file size limit makes the write fail part-way, even for root.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 5000;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool stored = serialize(s, true);
    setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_FALSE(stored);
    EXPECT_EQ(folder.messages.texts(), std::vector<std::string>{"Unable to write configuration file!"});
    EXPECT_EQ(readAll(folder.file("Events.dat")), sampleBytes());
    EXPECT_EQ(s.a, 9);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.data()), {}), 1);
}

// Fails before anything is written: no new file can be made beside the old one.
TEST_F(DataFileTest, ReadOnlyFolderLeavesTheOldFile) {
    writeAll(folder.file("Events.dat"), sampleBytes());
    std::filesystem::permissions(folder.data(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    Sample s{9, 9, "new"};
    bool stored = true;
    {
        WithoutPermissionOverride likeAnyUser;
        ASSERT_TRUE(likeAnyUser.dropped());
        stored = serialize(s, true);
    }
    EXPECT_FALSE(stored);
    EXPECT_EQ(folder.messages.texts(), std::vector<std::string>{"Unable to write configuration file!"});
    EXPECT_EQ(readAll(folder.file("Events.dat")), sampleBytes());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.data()), {}), 1);
}
