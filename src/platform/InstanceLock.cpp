#include "platform/InstanceLock.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace veltrin {

InstanceLock::~InstanceLock() { release(); }

std::string InstanceLock::runtimeFolder() {
    const char* run = std::getenv("XDG_RUNTIME_DIR");
    if (run && *run && ::access(run, W_OK) == 0) return run;
    const char* tmp = std::getenv("TMPDIR");
    return (tmp && *tmp) ? tmp : "/tmp";
}

std::string InstanceLock::keyFor(const std::string& dataFolder) {
    // The same folder reached by another spelling must give the same key.
    char resolved[PATH_MAX];
    std::string path = ::realpath(dataFolder.c_str(), resolved) ? resolved : dataFolder;
    std::uint64_t h = 1469598103934665603ull;  // FNV-1a
    for (unsigned char c : path) {
        h ^= c;
        h *= 1099511628211ull;
    }
    char buf[48];
    std::snprintf(buf, sizeof buf, "veltrin-%u-%016llx", static_cast<unsigned>(::getuid()),
                  static_cast<unsigned long long>(h));
    return buf;
}

bool InstanceLock::acquire(const std::string& dataFolder) {
    release();
    const std::string path = runtimeFolder() + "/" + keyFor(dataFolder) + ".lock";
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return true;  // no place for a lock: never refuse to start over it
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void InstanceLock::release() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }
}

}  // namespace veltrin
