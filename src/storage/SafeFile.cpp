#include "storage/SafeFile.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace veltrin {

namespace {

constexpr char kTemporaryMark[] = ".veltrin-tmp-";
constexpr std::size_t kTemporaryLetters = 6;  // what mkstemp fills in

std::string systemError(const std::string& what) { return what + ": " + std::strerror(errno); }

FileState stateOf(const struct stat& st) {
    FileState s;
    s.device = static_cast<std::uint64_t>(st.st_dev);
    s.inode = static_cast<std::uint64_t>(st.st_ino);
    s.size = static_cast<std::uint64_t>(st.st_size);
    s.modifiedSeconds = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    s.modifiedNanoseconds = static_cast<std::int64_t>(st.st_mtim.tv_nsec);
    return s;
}

// Copies a file to a new name that must not exist yet.
bool copyToNewFile(const std::string& from, const std::string& to) {
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0) return false;
    std::FILE* file = ::fdopen(out, "wb");
    if (!file) {
        ::close(out);
        ::unlink(to.c_str());
        return false;
    }
    std::string why;
    bool ok = CopyOfFile(from)(file, why) && std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
    ok = (std::fclose(file) == 0) && ok;
    if (!ok) ::unlink(to.c_str());
    return ok;
}

}  // namespace

std::string FileNameOf(const std::string& path) {
    const std::size_t cut = path.find_last_of('/');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string FolderOf(const std::string& path) {
    const std::size_t cut = path.find_last_of('/');
    if (cut == std::string::npos) return ".";
    return cut == 0 ? "/" : path.substr(0, cut);
}

std::optional<FileState> StateOfFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return stateOf(st);
}

std::optional<FileState> StateOfOpenFile(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return stateOf(st);
}

bool ReplaceFileSafely(const std::string& path, const FileWriter& write, std::string* why, FileState* written,
                       int mode) {
    auto failed = [why](const std::string& reason) {
        if (why) *why = reason;
        return false;
    };
    const std::string folder = FolderOf(path);
    std::string temp =
        folder + "/." + FileNameOf(path) + kTemporaryMark + std::string(kTemporaryLetters, 'X');
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return failed(systemError("cannot create a file in " + folder));

    struct stat old {};
    if (mode < 0) mode = ::stat(path.c_str(), &old) == 0 ? static_cast<int>(old.st_mode & 07777) : 0644;
    ::fchmod(fd, static_cast<mode_t>(mode));

    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        const std::string reason = systemError("cannot write " + temp);
        ::close(fd);
        ::unlink(temp.c_str());
        return failed(reason);
    }
    std::string reason;
    bool ok = write(file, reason);
    if (ok && std::fflush(file) != 0) {
        ok = false;
        reason = systemError("the file cannot be written");
    }
    if (ok && ::fsync(::fileno(file)) != 0) {
        ok = false;
        reason = systemError("the file cannot be synced to disk");
    }
    std::optional<FileState> state;
    if (ok) state = StateOfOpenFile(::fileno(file));
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        reason = systemError("the file cannot be closed");
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        reason = systemError("the new file cannot replace the old one");
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return failed(reason.empty() ? "the file cannot be written" : reason);
    }
    // The rename itself must reach the disk too.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    if (written && state) *written = *state;
    return true;
}

FileWriter BytesOf(std::string bytes) {
    return [bytes = std::move(bytes)](std::FILE* file, std::string& why) {
        if (std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size()) return true;
        why = "the file could not be written";
        return false;
    };
}

FileWriter CopyOfFile(const std::string& source) {
    return [source](std::FILE* file, std::string& why) {
        const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
        if (in < 0) {
            why = systemError("cannot open " + source);
            return false;
        }
        char buf[65536];
        bool ok = true;
        for (;;) {
            const ssize_t n = ::read(in, buf, sizeof buf);
            if (n == 0) break;
            if (n < 0) {
                if (errno == EINTR) continue;
                why = systemError("cannot read " + source);
                ok = false;
                break;
            }
            if (std::fwrite(buf, 1, static_cast<std::size_t>(n), file) != static_cast<std::size_t>(n)) {
                why = systemError("the file cannot be written");
                ok = false;
                break;
            }
        }
        ::close(in);
        return ok;
    };
}

bool IsTemporaryOf(const std::string& name, const std::string& fileName) {
    const std::string prefix = "." + fileName + kTemporaryMark;
    if (name.size() != prefix.size() + kTemporaryLetters || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    }
    return true;
}

std::string KeepCopyAside(const std::string& path, const std::string& suffix) {
    for (int i = 1; i < 1000; ++i) {
        const std::string candidate = path + suffix + (i == 1 ? "" : "-" + std::to_string(i));
        struct stat st {};
        if (::lstat(candidate.c_str(), &st) == 0) continue;
        if (copyToNewFile(path, candidate)) return candidate;
        // An unreadable file can still be kept by a second name.
        if (::link(path.c_str(), candidate.c_str()) == 0) return candidate;
        return std::string();
    }
    return std::string();
}

std::vector<std::string> NamesInFolder(const std::string& folder, std::string* why) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        if (why && errno != ENOENT) *why = std::strerror(errno);
        return names;
    }
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

bool ReadWholeFile(const std::string& path, std::string& text, std::string& why) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        why = std::strerror(errno);
        ::close(fd);
        return false;
    }
    // Sized once from what the file system says; a file that grows meanwhile,
    // or says nothing of its size (a pipe), is still read to its end.
    std::string read(S_ISREG(st.st_mode) ? static_cast<std::size_t>(st.st_size) + 1 : 65536, '\0');
    std::size_t used = 0;
    for (;;) {
        if (used == read.size()) read.resize(2 * read.size());
        const ssize_t n = ::read(fd, &read[used], read.size() - used);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            why = std::strerror(errno);
            ::close(fd);
            return false;
        }
        used += static_cast<std::size_t>(n);
    }
    ::close(fd);
    read.resize(used);
    text = std::move(read);
    return true;
}

}  // namespace veltrin
