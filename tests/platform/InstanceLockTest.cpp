#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/InstanceLock.h"

using veltrin::InstanceLock;
namespace fs = std::filesystem;

namespace {

std::string tempFolder() {
    char tmpl[] = "/tmp/veltrin-lock-XXXXXX";
    return ::mkdtemp(tmpl);
}

std::size_t entriesIn(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
}

// Sets or clears an environment variable for the test's lifetime.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

// A data folder and two runtime folders, as two logins of one user have.
class InstanceLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        data = tempFolder();
        runA = tempFolder();
        runB = tempFolder();
    }
    void TearDown() override {
        ::chmod(data.c_str(), 0700);
        for (const std::string& dir : {data, runA, runB, data + "-missing"}) fs::remove_all(dir);
    }
    std::string data, runA, runB;
};

}  // namespace

TEST_F(InstanceLockTest, SecondHolderOfTheSameFolderIsRefused) {
    ScopedEnv run("XDG_RUNTIME_DIR", runA);
    InstanceLock first, second, other;
    EXPECT_TRUE(first.acquire(data));
    EXPECT_TRUE(first.held());
    EXPECT_FALSE(second.acquire(data));
    EXPECT_FALSE(second.held());
    EXPECT_FALSE(second.acquire(data + "/."));  // another spelling of the same folder
    const std::string link = runB + "/link";
    fs::create_directory_symlink(data, link);
    EXPECT_FALSE(second.acquire(link));
    const std::string elsewhere = tempFolder();
    EXPECT_TRUE(other.acquire(elsewhere));
    first.release();
    EXPECT_TRUE(second.acquire(data));
    other.release();
    fs::remove_all(elsewhere);
}

// A cron job, an ssh session or another login has a runtime folder of its
// own, or none at all; the lock must not depend on it.
TEST_F(InstanceLockTest, HolderIsSeenFromAnotherRuntimeFolderOrNone) {
    InstanceLock program, job;
    {
        ScopedEnv run("XDG_RUNTIME_DIR", runA);
        ASSERT_TRUE(program.acquire(data));
    }
    {
        ScopedEnv run("XDG_RUNTIME_DIR", runB);
        EXPECT_FALSE(job.acquire(data));
    }
    {
        ScopedEnv run("XDG_RUNTIME_DIR", std::nullopt);
        ScopedEnv tmp("TMPDIR", runB);
        EXPECT_FALSE(job.acquire(data));
    }
    // The lock changes nothing a user sees: no file in the data folder, none
    // in the runtime folders.
    EXPECT_EQ(entriesIn(data), 0u);
    EXPECT_EQ(entriesIn(runA), 0u);
    EXPECT_EQ(entriesIn(runB), 0u);
}

TEST_F(InstanceLockTest, ReadOnlyFolderIsLockedWithoutWritingToIt) {
    ScopedEnv run("XDG_RUNTIME_DIR", runA);
    ::chmod(data.c_str(), 0500);
    InstanceLock first, second;
    EXPECT_TRUE(first.acquire(data));
    EXPECT_TRUE(first.held());
    EXPECT_FALSE(second.acquire(data));
    EXPECT_EQ(entriesIn(data), 0u);
}

// The program never makes its data folder; without it, the runtime folder
// still keeps a second start of the same login off, and nothing is made.
TEST_F(InstanceLockTest, MissingFolderIsLockedInTheRuntimeFolder) {
    ScopedEnv run("XDG_RUNTIME_DIR", runA);
    const std::string missing = data + "-missing";
    InstanceLock first, second;
    EXPECT_TRUE(first.acquire(missing));
    EXPECT_TRUE(first.held());
    EXPECT_FALSE(second.acquire(missing));
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_TRUE(second.acquire(data));  // another folder
}

// Where the file system cannot lock a folder (network file systems lock only
// files open for writing), a file inside it stands in.
TEST_F(InstanceLockTest, LockFileStandsInForTheFolder) {
    InstanceLock first, second;
    EXPECT_TRUE(first.acquireThroughFile(data));
    EXPECT_TRUE(first.held());
    EXPECT_FALSE(second.acquireThroughFile(data));
    EXPECT_FALSE(second.acquireThroughFile(data + "/."));
    const fs::path file = fs::path(data) / InstanceLock::kLockFileName;
    ASSERT_TRUE(fs::is_regular_file(file));
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    first.release();
    EXPECT_TRUE(second.acquireThroughFile(data));
    second.release();
    EXPECT_TRUE(fs::exists(file)) << "a lock file removed under a waiting holder lets two in";

    // A link planted in its place is not followed.
    fs::remove(file);
    const fs::path target = fs::path(runA) / "target";
    fs::create_symlink(target, file);
    EXPECT_TRUE(first.acquireThroughFile(data));
    EXPECT_FALSE(first.held());
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(InstanceLockTest, LockOfAKilledProcessDoesNotBlock) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        InstanceLock lock;
        const char ok = lock.acquire(data) ? 'y' : 'n';
        (void)!::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    char got = 0;
    ASSERT_EQ(::read(ready[0], &got, 1), 1);
    ASSERT_EQ(got, 'y');
    InstanceLock mine;
    EXPECT_FALSE(mine.acquire(data));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(mine.acquire(data));
    ::close(ready[0]);
    ::close(ready[1]);
}

// A program the holder starts (a reminder opens one) must not keep the lock
// after the holder has ended.
TEST_F(InstanceLockTest, ProgramsStartedByTheHolderDoNotInheritTheLock) {
    for (const bool throughFile : {false, true}) {
        // The pipe closes on exec, so its end tells that the child runs the
        // other program now.
        int ready[2];
        ASSERT_EQ(::pipe2(ready, O_CLOEXEC), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            InstanceLock lock;
            const bool ok = throughFile ? lock.acquireThroughFile(data) : lock.acquire(data);
            const char state = ok && lock.held() ? 'y' : 'n';
            (void)!::write(ready[1], &state, 1);
            ::execl("/bin/sleep", "sleep", "60", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(ready[1]);
        char got = 0;
        ASSERT_EQ(::read(ready[0], &got, 1), 1);
        ASSERT_EQ(got, 'y');
        ASSERT_EQ(::read(ready[0], &got, 1), 0);  // exec done
        ::close(ready[0]);
        InstanceLock mine;
        EXPECT_TRUE(throughFile ? mine.acquireThroughFile(data) : mine.acquire(data))
            << (throughFile ? "the lock file" : "the folder") << " is held by the started program";
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
}
