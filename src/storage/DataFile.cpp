#include "storage/DataFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Platform.h"
#include "storage/ModuleFolder.h"

namespace veltrin {

namespace {

// Files that failed to load and have not yet been copied aside: no store may
// replace them until a copy exists.
std::mutex g_pendingMutex;
std::set<std::string> g_pendingCopies;

std::string baseName(const std::string& path) {
    const std::size_t cut = path.find_last_of('/');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string folderOf(const std::string& path) {
    const std::size_t cut = path.find_last_of('/');
    if (cut == std::string::npos) return ".";
    return cut == 0 ? "/" : path.substr(0, cut);
}

bool copyFile(const std::string& from, const std::string& to) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = true;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(in, buf, sizeof buf);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buf + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) {
                ok = false;
                break;
            }
            done += w;
        }
        if (!ok) break;
    }
    ok = (::fsync(out) == 0) && ok;
    ok = (::close(out) == 0) && ok;
    ::close(in);
    if (!ok) ::unlink(to.c_str());
    return ok;
}

std::string describe(const std::string& why, std::uint64_t offset) {
    return why + " (at byte " + std::to_string(offset) + ")";
}

// Copies a file that failed to load aside and returns a sentence for the user.
std::string keepAside(const std::string& path) {
    const std::string copy = PreserveDamagedFile(path);
    std::lock_guard<std::mutex> lock(g_pendingMutex);
    if (copy.empty()) {
        g_pendingCopies.insert(path);
        return "It could not be copied aside, so Veltrin will not write over it until it can.";
    }
    g_pendingCopies.erase(path);
    return "A copy of it was kept as \"" + copy + "\".";
}

bool copyStillPending(const std::string& path) {
    std::lock_guard<std::mutex> lock(g_pendingMutex);
    return g_pendingCopies.count(path) > 0;
}

}  // namespace

std::uint32_t& SharedVersion() {
    static std::uint32_t version = kDefaultVersionBits;
    return version;
}

std::string PreserveDamagedFile(const std::string& path) {
    for (int i = 1; i < 1000; ++i) {
        const std::string candidate = path + ".damaged" + (i == 1 ? "" : "-" + std::to_string(i));
        struct stat st {};
        if (::lstat(candidate.c_str(), &st) == 0) continue;
        if (copyFile(path, candidate)) return candidate;
        // An unreadable file can still be kept by a second name.
        if (::link(path.c_str(), candidate.c_str()) == 0) return candidate;
        return std::string();
    }
    return std::string();
}

LoadResult LoadArchive(std::FILE* file, std::uint64_t size, const char* signature, std::uint32_t& version,
                       const ArchiveBody& body) {
    LoadResult result;
    Archive ar(file, Archive::Mode::Load, size);
    std::uint32_t headVersion = 0;
    ar.float32(headVersion);
    if (ar.ok()) version = headVersion;
    std::string found;
    ar.countedString(found);
    if (ar.ok() && found != signature) {
        result.status = LoadResult::Status::WrongFormat;
        return result;
    }
    if (ar.ok()) body(ar);
    if (!ar.ok()) {
        result.status = LoadResult::Status::Damaged;
        result.why = ar.error();
        result.offset = ar.errorOffset();
    }
    return result;
}

LoadResult LoadArchiveFile(const std::string& path, const char* signature, std::uint32_t& version,
                           const ArchiveBody& body) {
    LoadResult result;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.status = (errno == ENOENT || errno == ENOTDIR) ? LoadResult::Status::Missing
                                                              : LoadResult::Status::Unreadable;
        result.why = std::strerror(errno);
        return result;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        result.status = LoadResult::Status::Unreadable;
        result.why = "not a regular file";
        return result;
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        result.status = LoadResult::Status::Unreadable;
        result.why = std::strerror(errno);
        return result;
    }
    result = LoadArchive(file, static_cast<std::uint64_t>(st.st_size), signature, version, body);
    std::fclose(file);
    return result;
}

bool StoreArchiveFile(const std::string& path, const char* signature, std::uint32_t version,
                      const ArchiveBody& body, std::string* why) {
    auto failed = [why](const std::string& reason) {
        if (why) *why = reason;
        return false;
    };
    const std::string folder = folderOf(path);
    std::string temp = folder + "/." + baseName(path) + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return failed(std::string("cannot create a file in ") + folder + ": " + std::strerror(errno));

    // The new file keeps the old one's permissions.
    struct stat old {};
    ::fchmod(fd, ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);

    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        ::close(fd);
        ::unlink(temp.c_str());
        return failed(std::strerror(errno));
    }
    bool ok;
    std::string reason;
    {
        Archive ar(file, Archive::Mode::Store);
        std::uint32_t v = version;
        std::string sig = signature;
        ar.float32(v);
        ar.countedString(sig);
        body(ar);
        ok = ar.Close();
        reason = ar.error();
    }
    if (ok && ::fsync(::fileno(file)) != 0) {
        ok = false;
        reason = std::strerror(errno);
    }
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        reason = std::strerror(errno);
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        reason = std::strerror(errno);
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return failed(reason);
    }
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool SerializeDataFile(bool storing, const DataFileKind& kind, const ArchiveBody& body) {
    const std::string path = DataFilePath(kind.fileName);
    if (storing) {
        if (copyStillPending(path)) {
            const std::string note = keepAside(path);
            if (copyStillPending(path)) {
                messages().fileError("Unable to write configuration file!");
                return false;
            }
            messages().fileError(std::string(kind.fileName) + " could not be read when Veltrin started. " +
                                 note);
        }
        if (!StoreArchiveFile(path, kind.signature, SharedVersion(), body)) {
            messages().fileError("Unable to write configuration file!");
            return false;
        }
        return true;
    }

    const LoadResult r = LoadArchiveFile(path, kind.signature, SharedVersion(), body);
    switch (r.status) {
    case LoadResult::Status::Ok: return true;
    case LoadResult::Status::Missing:
        messages().fileError(std::string("Cannot find ") + kind.fileName);
        return false;
    case LoadResult::Status::Unreadable:
        messages().fileError(std::string("Cannot find ") + kind.fileName);
        messages().fileError(std::string(kind.fileName) + " exists but cannot be opened (" + r.why + "). " +
                             keepAside(path));
        return false;
    case LoadResult::Status::WrongFormat:
        messages().fileError("Wrong file format!");
        messages().fileError(std::string(kind.fileName) + " is not a file Veltrin can read. " +
                             keepAside(path));
        return false;
    case LoadResult::Status::Damaged:
        messages().fileError(std::string(kind.fileName) + " is damaged: " + describe(r.why, r.offset) +
                             ". What could be read has been kept. " + keepAside(path));
        return false;
    }
    return false;
}

}  // namespace veltrin
