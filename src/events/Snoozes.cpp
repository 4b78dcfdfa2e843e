#include "events/Snoozes.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "base/LocalTime.h"
#include "storage/SafeFile.h"

namespace veltrin {

const std::vector<std::string>& SnoozeChoiceTexts() {
    static const std::vector<std::string> texts = {"5 minutes",  "10 minutes", "15 minutes",
                                                   "30 minutes", "1 hour",     "Tomorrow"};
    return texts;
}

std::optional<std::int64_t> SnoozeUntil(int choice, std::int64_t now) {
    static const int minutes[] = {5, 10, 15, 30, 60};
    if (choice >= 0 && choice < 5) return now + minutes[choice] * 60;
    if (choice != 5) return std::nullopt;
    const DateTime t = BreakDownLocal(now);
    return MakeLocalTime(t.year, t.month, t.day + 1, t.hour, t.minute, t.second);
}

bool LoadSnoozes(const std::string& path, std::vector<Snooze>& snoozes, std::string* why) {
    std::ifstream in(path);
    if (!in) {
        if (!StateOfFile(path) && errno == ENOENT) return true;
        if (why) *why = std::strerror(errno);
        return false;
    }
    int lineNumber = 0;
    int bad = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        std::istringstream fields(line);
        Snooze s;
        std::string rest;
        if (fields >> s.eventId >> s.until && !(fields >> rest)) {
            snoozes.push_back(s);
        } else if (!line.empty() && bad++ == 0 && why) {
            *why = "line " + std::to_string(lineNumber) + " is not a snooze";
        }
    }
    if (in.bad()) {
        if (why) *why = "cannot be read to its end";
        return false;
    }
    return bad == 0;
}

bool SaveSnoozes(const std::string& path, const std::vector<Snooze>& snoozes, std::string* why) {
    std::string text;
    for (const Snooze& s : snoozes) text += std::to_string(s.eventId) + ' ' + std::to_string(s.until) + '\n';
    return ReplaceFileSafely(
        path,
        [&text](std::FILE* f, std::string& reason) {
            if (std::fwrite(text.data(), 1, text.size(), f) == text.size()) return true;
            reason = std::strerror(errno);
            return false;
        },
        why);
}

}  // namespace veltrin
