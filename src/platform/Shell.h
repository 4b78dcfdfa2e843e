#pragma once

#include <string>

namespace veltrin {

// Opens a program, a document or a web address the way the desktop would.
class Shell {
public:
    virtual ~Shell() = default;
    virtual bool open(const std::string& target) = 0;
    // Starts a program file itself, with no arguments and no shell between.
    virtual bool startProgram(const std::string& path) { return open(path); }
};

}  // namespace veltrin
