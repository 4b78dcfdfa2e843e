#pragma once

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ModuleFolder.h"
#include "platform/Platform.h"
#include "support/ScopedService.h"

namespace veltrin::test {

// Records every message box and answers from a script (Yes by default for
// questions, so a missing script line is visible in the assertion).
class RecordingMessages : public Messages {
public:
    struct Shown {
        std::string text, caption;
        Icon icon;
        Buttons buttons;
    };
    std::vector<Shown> shown;
    std::deque<Answer> answers;

    Answer show(const std::string& text, const std::string& caption, Icon icon, Buttons buttons) override {
        shown.push_back({text, caption, icon, buttons});
        if (!answers.empty()) {
            Answer a = answers.front();
            answers.pop_front();
            return a;
        }
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> t;
        for (const auto& s : shown) t.push_back(s.text);
        return t;
    }
};

// A clock that stands still until the test moves it; the digital clock's
// worker thread reads it while the test writes it.
class FixedClock : public Clock {
public:
    std::atomic<std::int64_t> t{1'700'000'000};
    std::int64_t now() const override { return t.load(); }
};

// Records every target opened and reports it opened (or, with result
// false, that the desktop could not open it).
class RecordingShell : public Shell {
public:
    std::vector<std::string> opened;
    bool result = true;
    bool open(const std::string& target) override {
        opened.push_back(target);
        return result;
    }
};

// Records every help topic asked for.
class RecordingHelp : public Help {
public:
    std::vector<std::string> topics;
    void showTopic(const std::string& topic) override { topics.push_back(topic); }
};

// Records the path of every sound played.
class RecordingSound : public Sound {
public:
    std::vector<std::string> played;
    void play(const std::string& path) override { played.push_back(path); }
};

class RecordingAutostart : public Autostart {
public:
    struct Call {
        std::string path;
        bool enabled;
    };
    std::vector<Call> calls;
    Result result = Result::Written;
    Result write(const std::string& path, bool enabled) override {
        calls.push_back({path, enabled});
        return result;
    }
};

inline std::string readAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeAll(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A program folder of its own in a temporary place, with an empty data folder,
// and recording fakes for messages, the clock, autostart, the shell and sound.
// Undone when the test ends.
class ProgramFolder {
public:
    ProgramFolder() {
        char tmpl[] = "/tmp/veltrin-test-XXXXXX";
        root = ::mkdtemp(tmpl);
        std::filesystem::create_directories(root / "data");
        SetExecutablePathForTesting((root / "veltrin").string());
    }
    ~ProgramFolder() {
        SetExecutablePathForTesting("");
        std::error_code ec;
        std::filesystem::permissions(data(), std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(root, ec);
    }
    std::filesystem::path data() const { return root / "data"; }
    std::filesystem::path file(const std::string& name) const { return data() / name; }

    std::filesystem::path root;
    RecordingMessages messages;
    FixedClock clock;
    RecordingAutostart autostart;
    RecordingShell shell;
    RecordingSound sound;

private:
    // After the fakes, so they are uninstalled before they go.
    ScopedMessages messagesInstalled_{messages};
    ScopedClock clockInstalled_{clock};
    ScopedAutostart autostartInstalled_{autostart};
    ScopedShell shellInstalled_{shell};
    ScopedSound soundInstalled_{sound};
};

}  // namespace veltrin::test
