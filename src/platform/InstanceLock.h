#pragma once

#include <string>

namespace veltrin {

// One running program per data folder, whatever login, terminal or job starts
// it: the lock is on the data folder itself, so every process that opens the
// folder sees it. It is an advisory lock, so the system drops it when its
// holder dies: a crashed program never blocks the next start.
class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock for dataFolder; false when another process holds it.
    // Where the file system cannot lock the folder itself, a lock file inside
    // it stands in; where the folder is missing, a lock in the runtime folder
    // keeps at least this login's second start off. With no place for a lock
    // at all it gives true without holding one.
    bool acquire(const std::string& dataFolder);
    // The lock file inside the folder, the way acquire takes it where the
    // folder itself cannot be locked.
    bool acquireThroughFile(const std::string& dataFolder);
    void release();
    bool held() const { return fd_ >= 0; }

    // The lock file's name. It stays once made: every holder must lock the
    // same file, and one removed under a waiting holder would let two in.
    static const char kLockFileName[];

    // A short, stable name for the data folder, used for the hand-over
    // channel and the lock of a missing folder.
    static std::string keyFor(const std::string& dataFolder);
    static std::string runtimeFolder();

private:
    int fd_ = -1;
};

}  // namespace veltrin
