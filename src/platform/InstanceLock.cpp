#include "platform/InstanceLock.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace veltrin {

namespace {

enum class Take { Held, Refused, NoPlace };

// Locks an open descriptor, which is kept in held on success and closed
// otherwise. Only a lock held elsewhere refuses; any other failure means the
// file system offers no lock here.
Take lockDescriptor(int fd, int& held) {
    if (fd < 0) return Take::NoPlace;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        held = fd;
        return Take::Held;
    }
    const int error = errno;
    ::close(fd);
    return error == EWOULDBLOCK ? Take::Refused : Take::NoPlace;
}

// A lock file, made when missing; a link planted in its place is not followed.
Take lockFile(const std::string& path, int& held) {
    return lockDescriptor(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600), held);
}

Take lockFileInside(const std::string& dataFolder, int& held) {
    return lockFile(dataFolder + "/" + InstanceLock::kLockFileName, held);
}

}  // namespace

const char InstanceLock::kLockFileName[] = ".veltrin.lock";

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
    // The folder's own descriptor: nothing new appears in the folder.
    Take take = lockDescriptor(::open(dataFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), fd_);
    // Network file systems lock only files open for writing.
    if (take == Take::NoPlace) take = lockFileInside(dataFolder, fd_);
    // The program never makes a missing folder, and a read-only network
    // folder takes no lock file.
    if (take == Take::NoPlace) take = lockFile(runtimeFolder() + "/" + keyFor(dataFolder) + ".lock", fd_);
    return take != Take::Refused;  // no place for a lock: never refuse to start over it
}

bool InstanceLock::acquireThroughFile(const std::string& dataFolder) {
    release();
    return lockFileInside(dataFolder, fd_) != Take::Refused;
}

void InstanceLock::release() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }
}

}  // namespace veltrin
