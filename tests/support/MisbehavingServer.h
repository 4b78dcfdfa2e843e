// The misbehaving CalDAV server of tests/support/misbehaving_dav.py in one
// mode, with a second listener on another port where its foreign hrefs
// point, which must never be asked anything. Both on 127.0.0.1, stopped
// with the guard.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "support/LoopbackProcess.h"

// Whether this build runs under AddressSanitizer, which holds freed memory
// for a while and adds its own: memory bounds are wider there.
#if defined(__SANITIZE_ADDRESS__)
#define VELTRIN_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELTRIN_UNDER_ASAN 1
#endif
#endif

namespace veltrin::test {

class MisbehavingServer {
public:
    // What reading the largest answer allowed may cost a process at the
    // most: the answer, the parser's copy of it and its nodes.
#if defined(VELTRIN_UNDER_ASAN)
    static constexpr long kPeakBoundKilobytes = 400 * 1024;
#else
    static constexpr long kPeakBoundKilobytes = 200 * 1024;
#endif

    explicit MisbehavingServer(const std::filesystem::path& folder) : folder_(folder) {}

    bool Start(const std::string& mode) {
        port_ = LoopbackProcess::FreePort();
        otherPort_ = LoopbackProcess::FreePort();
        const std::string script = std::string(VELTRIN_TEST_SUPPORT) + "/misbehaving_dav.py";
        return other_.Start({script, std::to_string(otherPort_), "record", otherLogPath(), "0"}, otherPort_,
                            (folder_ / "other.out").string()) &&
               server_.Start({script, std::to_string(port_), mode, logPath(), std::to_string(otherPort_)},
                             port_, (folder_ / "server.out").string());
    }

    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
    int port() const { return port_; }
    // "METHOD PATH auth|noauth" a line, every request in turn.
    std::string log() const { return Read(logPath()); }
    std::string otherLog() const { return Read(otherLogPath()); }
    bool otherServerUntouched() const { return otherLog().empty(); }
    // Only the account's discovery and its calendar's own items were asked for.
    bool onlyTheAccountWasAsked() const {
        std::istringstream lines(log());
        std::string method, path, auth;
        while (lines >> method >> path >> auth) {
            const bool item = path.rfind("/anna/calendar/", 0) == 0 &&
                              path.find('/', sizeof "/anna/calendar/" - 1) == std::string::npos &&
                              path.find("..") == std::string::npos;
            const bool discovery = path == "/" || path == "/anna/" || path.rfind("/.well-known/", 0) == 0;
            if (!item && !discovery) return false;
        }
        return true;
    }

private:
    std::string logPath() const { return (folder_ / "requests.log").string(); }
    std::string otherLogPath() const { return (folder_ / "other-requests.log").string(); }
    static std::string Read(const std::string& path) {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::filesystem::path folder_;
    int port_ = 0, otherPort_ = 0;
    LoopbackProcess server_, other_;
};

}  // namespace veltrin::test
