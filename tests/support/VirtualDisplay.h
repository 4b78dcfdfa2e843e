#pragma once

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "support/WaitUntil.h"

namespace veltrin::test {

inline const char kXvfb[] = "/usr/bin/Xvfb";

// A virtual X display of the caller's own, of that screen size, on the
// first free number from `first` on; ended with the object. Its name is
// empty when no server could be started.
class VirtualDisplay {
public:
    explicit VirtualDisplay(const char* screen = "1024x768x24", int first = 90) {
        if (::access(kXvfb, X_OK) != 0) return;
        for (int n = first; n < first + 40 && name_.empty(); ++n) {
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
            if (std::filesystem::exists(socket) ||
                std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock"))
                continue;
            const std::string display = ":" + std::to_string(n);
            pid_ = ::fork();
            if (pid_ == 0) {
                ::execl(kXvfb, "Xvfb", display.c_str(), "-noreset", "-screen", "0", screen, "-nolisten",
                        "tcp", static_cast<char*>(nullptr));
                ::_exit(127);
            }
            // Without -noreset the server starts over whenever its last
            // client leaves, and a client coming in at that moment (trayer,
            // while xdotool looks for its panel) is turned away.
            // It listens once its socket is there; a slow machine gets 30 s.
            // Tests run side by side may start a server on the same number:
            // the display is ours only when the lock names our server.
            const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
            bool ended = false;
            WaitUntil(
                [&] {
                    long holder = 0;
                    if (std::filesystem::exists(socket) && (std::ifstream(lock) >> holder) && holder == pid_)
                        name_ = display;
                    ended = ::waitpid(pid_, nullptr, WNOHANG) == pid_;  // lost the race for it
                    return !name_.empty() || ended;
                },
                30);
            if (name_.empty()) {
                if (!ended) {
                    ::kill(pid_, SIGTERM);
                    ::waitpid(pid_, nullptr, 0);
                }
                pid_ = -1;
            }
        }
    }
    ~VirtualDisplay() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

}  // namespace veltrin::test
