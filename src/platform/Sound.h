#pragma once

#include <string>

namespace veltrin {

// Plays a sound file; a missing or unplayable file gives the system beep.
class Sound {
public:
    virtual ~Sound() = default;
    virtual void play(const std::string& path) = 0;
};

}  // namespace veltrin
