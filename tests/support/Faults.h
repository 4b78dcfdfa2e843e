#pragma once

#include <csignal>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace veltrin::test {

// Runs work in a child process and returns what it reports, so that limits
// and lost privileges stay with the child. "child died" when it did not end
// normally.
inline std::string RunInChild(const std::function<std::string()>& work) {
    int report[2];
    if (::pipe(report) != 0) return "no pipe";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(report[0]);
        const std::string text = work();
        for (std::size_t done = 0; done < text.size();) {
            const ssize_t n = ::write(report[1], text.data() + done, text.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(report[1]);
    std::string text;
    char buf[4096];
    for (ssize_t n; (n = ::read(report[0], buf, sizeof buf)) > 0;)
        text.append(buf, static_cast<std::size_t>(n));
    ::close(report[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? text : "child died";
}

// In a child: every write past `bytes` into one file fails, as on a full
// disk, for root too. The signal that would end the process is ignored, so
// the write returns an error instead.
inline void LimitFileWrites(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

inline void LiftFileWriteLimit() {
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

// In a child: a root process becomes "nobody", so that permissions bind it.
// False when that fails.
inline bool DropRoot() {
    if (::geteuid() != 0) return true;
    const uid_t nobody = 65534;
    return ::setgroups(0, nullptr) == 0 && ::setresgid(nobody, nobody, nobody) == 0 &&
           ::setresuid(nobody, nobody, nobody) == 0;
}

// A folder every user may enter and read but only its owner may write; the
// folders above it are opened for entering.
inline void MakeReadOnlyForOthers(const std::filesystem::path& folder, const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    for (fs::path p = folder.parent_path(); !p.empty(); p = p.parent_path()) {
        fs::permissions(p, fs::perms::others_exec | fs::perms::group_exec, fs::perm_options::add);
        if (p == root) break;
    }
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
}

// The temporaries of unfinished stores under a folder, at any depth.
inline std::vector<std::string> TemporariesUnder(const std::filesystem::path& folder) {
    std::vector<std::string> found;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.find(".veltrin-tmp-") != std::string::npos) found.push_back(it->path().string());
    }
    return found;
}

}  // namespace veltrin::test
