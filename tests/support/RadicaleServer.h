// A Radicale server of a test's own: on 127.0.0.1 at a free port, with a
// temporary storage folder and one user, stopped when the guard ends.
#pragma once

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/WaitUntil.h"

namespace veltrin::test {

class RadicaleServer {
public:
    static constexpr const char* kUser = "anna";
    static constexpr const char* kPassword = "pa55-w0rd";

    // tls: HTTPS with a certificate of its own, which no system trusts.
    explicit RadicaleServer(const std::filesystem::path& folder, bool tls = false)
        : folder_(folder), tls_(tls) {
        std::filesystem::create_directories(folder_ / "collections");
        if (tls_) {
            const std::string made =
                "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 -keyout '" +
                (folder_ / "key.pem").string() + "' -out '" + (folder_ / "cert.pem").string() +
                "' >/dev/null 2>&1";
            if (std::system(made.c_str()) != 0) return;
        }
        std::ofstream(folder_ / "users") << kUser << ":" << kPassword << "\n";
        Start();
    }
    ~RadicaleServer() { Stop(); }
    RadicaleServer(const RadicaleServer&) = delete;
    RadicaleServer& operator=(const RadicaleServer&) = delete;

    // Also after Stop, on the same port and storage: the same server again.
    void Start() {
        if (!port_) port_ = FreePort();
        {
            std::ofstream config(folder_ / "config");
            config << "[server]\nhosts = 127.0.0.1:" << port_ << "\n";
            if (tls_)
                config << "ssl = True\ncertificate = " << (folder_ / "cert.pem").string()
                       << "\nkey = " << (folder_ / "key.pem").string() << "\n";
            config << "[auth]\ntype = htpasswd\nhtpasswd_filename = " << (folder_ / "users").string()
                   << "\nhtpasswd_encryption = plain\ndelay = 0\n"
                   << "[rights]\ntype = owner_only\n"
                   << "[storage]\nfilesystem_folder = " << (folder_ / "collections").string() << "\n"
                   << "[web]\ntype = none\n[logging]\nlevel = warning\n";
        }
        const std::string config = (folder_ / "config").string();
        const std::string log = (folder_ / "log").string();
        pid_ = ::fork();
        if (pid_ == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlives a test that crashed
            const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            if (out >= 0) {
                ::dup2(out, 1);
                ::dup2(out, 2);
            }
            ::execl("/usr/bin/python3", "python3", "-m", "radicale", "-C", config.c_str(), nullptr);
            ::_exit(127);
        }
        // Up when it takes connections.
        up_ = WaitUntil([&] { return Accepts(); }, 60);
    }

    void Stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        if (!WaitUntil([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, 30)) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
        }
        pid_ = -1;
    }

    bool up() const { return up_; }
    int port() const { return port_; }
    std::string url() const {
        return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + "/";
    }
    std::string userUrl() const { return url() + kUser + "/"; }
    std::string log() const {
        std::ifstream in(folder_ / "log");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    static int FreePort() {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        int port = 0;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size) == 0)
            port = ntohs(a.sin_port);
        ::close(fd);
        return port;
    }

    bool Accepts() const {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(static_cast<std::uint16_t>(port_));
        const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        ::close(fd);
        return ok;
    }

    std::filesystem::path folder_;
    int port_ = 0;
    pid_t pid_ = -1;
    bool up_ = false;
    bool tls_ = false;
};

}  // namespace veltrin::test
