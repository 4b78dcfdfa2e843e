#pragma once

#include <mutex>

namespace veltrin {

// libical is not safe to use from two threads at once: each parse sets its
// table of error states, which all threads share, and puts it back, so two
// parses at the same moment leave it changed; the built-in zones hand one
// definition to every thread. An import or export on the window's thread
// and a sync's network part on its worker may meet there, so every call
// into libical is made while holding this guard. A thread may take it again.
class ICalGuard {
public:
    ICalGuard() : lock_(Mutex()) {}

private:
    static std::recursive_mutex& Mutex();
    std::lock_guard<std::recursive_mutex> lock_;
};

}  // namespace veltrin
