#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/InstanceLock.h"

using veltrin::InstanceLock;

namespace {

std::string tempFolder() {
    char tmpl[] = "/tmp/veltrin-lock-XXXXXX";
    return ::mkdtemp(tmpl);
}

}  // namespace

TEST(InstanceLock, SecondHolderOfTheSameFolderIsRefused) {
    const std::string dir = tempFolder();
    InstanceLock first, second, other;
    EXPECT_TRUE(first.acquire(dir));
    EXPECT_TRUE(first.held());
    EXPECT_FALSE(second.acquire(dir));
    EXPECT_FALSE(second.acquire(dir + "/."));  // another spelling of the same folder
    EXPECT_TRUE(other.acquire(dir + "-elsewhere"));
    first.release();
    EXPECT_TRUE(second.acquire(dir));
    std::filesystem::remove_all(dir);
}

TEST(InstanceLock, LockOfAKilledProcessDoesNotBlock) {
    const std::string dir = tempFolder();
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        InstanceLock lock;
        const char ok = lock.acquire(dir) ? 'y' : 'n';
        (void)!::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    char got = 0;
    ASSERT_EQ(::read(ready[0], &got, 1), 1);
    ASSERT_EQ(got, 'y');
    InstanceLock mine;
    EXPECT_FALSE(mine.acquire(dir));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(mine.acquire(dir));
    std::filesystem::remove_all(dir);
}
