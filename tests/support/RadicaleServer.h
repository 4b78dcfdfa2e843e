// A Radicale server of a test's own: on 127.0.0.1 at a free port, with a
// temporary storage folder and one user, stopped when the guard ends.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/LoopbackProcess.h"

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
    RadicaleServer(const RadicaleServer&) = delete;
    RadicaleServer& operator=(const RadicaleServer&) = delete;

    // Also after Stop, on the same port and storage: the same server again.
    void Start() {
        if (!port_) port_ = LoopbackProcess::FreePort();
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
        up_ = process_.Start({"-m", "radicale", "-C", (folder_ / "config").string()}, port_,
                             (folder_ / "log").string());
    }

    void Stop() { process_.Stop(); }

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
    std::filesystem::path folder_;
    int port_ = 0;
    LoopbackProcess process_;
    bool up_ = false;
    bool tls_ = false;
};

}  // namespace veltrin::test
