#pragma once

#include <cstdint>

namespace veltrin {

// Seconds since 1970; every time-dependent rule asks this instead of the system.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t now() const = 0;
};

class SystemClock : public Clock {
public:
    std::int64_t now() const override;
};

}  // namespace veltrin
