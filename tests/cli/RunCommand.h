#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/Commands.h"

namespace veltrin::test {

// One run of veltrin-data in-process, with what it wrote and its status.
struct Outcome {
    int status;
    std::string out, err;
};

inline Outcome RunCommand(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = cli::RunVeltrinData(args, {out, err});
    return {status, out.str(), err.str()};
}

inline std::vector<std::string> Split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, sep)) parts.push_back(part);
    return parts;
}

}  // namespace veltrin::test
