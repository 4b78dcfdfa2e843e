#pragma once

#include <chrono>
#include <thread>

namespace veltrin::test {

// Asks done() every 50 ms until it holds or `seconds` have passed; whether it
// held. Every wait for a process, a socket or a file goes through this.
template <class Done>
bool WaitUntil(Done&& done, int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

}  // namespace veltrin::test
