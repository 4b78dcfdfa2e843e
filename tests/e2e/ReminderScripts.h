#pragma once

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "e2e/ProgramRun.h"

namespace veltrin::e2e {

// A program run whose reminders run scripts: each script appends its word
// to one lines file, so what ran, and how often, is seen from outside.
class ReminderScriptsRun : public ProgramRun {
protected:
    fs::path script(const std::string& word) {
        const fs::path path = folder.root / (word + ".sh");
        std::ofstream(path) << "#!/bin/sh\necho " << word << " >> '" << lines().string() << "'\n";
        fs::permissions(path, fs::perms::owner_all);
        return path;
    }
    fs::path lines() const { return folder.root / "lines.txt"; }
    std::vector<std::string> linesWritten() const {
        std::vector<std::string> out;
        std::ifstream in(lines());
        for (std::string line; std::getline(in, line);) out.push_back(line);
        return out;
    }
    long linesOf(const std::string& word) const {
        const auto all = linesWritten();
        return std::count(all.begin(), all.end(), word);
    }
    bool waitForLine(const std::string& word, int seconds) {
        return WaitUntil([&] { return linesOf(word) > 0; }, seconds);
    }
};

}  // namespace veltrin::e2e
