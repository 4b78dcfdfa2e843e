#pragma once

#include <string>

namespace veltrin {

// One running program per data folder. The lock is an advisory file lock, so
// the system drops it when its holder dies: a crashed program never blocks
// the next start.
class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock for dataFolder; false when another process holds it.
    bool acquire(const std::string& dataFolder);
    void release();
    bool held() const { return fd_ >= 0; }

    // A short, stable name for the data folder, used for the lock file and
    // the hand-over channel.
    static std::string keyFor(const std::string& dataFolder);
    static std::string runtimeFolder();

private:
    int fd_ = -1;
};

}  // namespace veltrin
