#include "storage/DataFile.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/ModuleFolder.h"
#include "platform/Platform.h"
#include "storage/Backups.h"
#include "storage/Digest.h"
#include "storage/SafeFile.h"

namespace veltrin {

namespace {

// Files that failed to load and have not yet been copied aside: no store may
// replace them until a copy exists.
std::mutex g_pendingMutex;
std::set<std::string> g_pendingCopies;

// What each data file held when it was last loaded whole or stored, and how
// the file looked then.
struct KnownFile {
    FileState state;
    DigestValue digest;
};
std::mutex g_knownMutex;
std::map<std::string, KnownFile> g_known;

// The day a failed backup was last told of, per data folder: once a day is
// enough.
std::map<std::string, std::string> g_backupWarnedDay;  // under g_knownMutex

void remember(const std::string& path, const FileState& state, const DigestValue& digest) {
    std::lock_guard<std::mutex> lock(g_knownMutex);
    g_known[path] = {state, digest};
}

void forget(const std::string& path) {
    std::lock_guard<std::mutex> lock(g_knownMutex);
    g_known.erase(path);
}

std::optional<KnownFile> known(const std::string& path) {
    std::lock_guard<std::mutex> lock(g_knownMutex);
    const auto it = g_known.find(path);
    if (it == g_known.end()) return std::nullopt;
    return it->second;
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

void storeInto(Archive& ar, const char* signature, std::uint32_t version, const ArchiveBody& body) {
    std::uint32_t v = version;
    std::string sig = signature;
    ar.float32(v);
    ar.countedString(sig);
    body(ar);
}

bool storeFile(const std::string& path, const char* signature, std::uint32_t version, const ArchiveBody& body,
               std::string* why, Digest* digest, FileState* written) {
    return ReplaceFileSafely(
        path,
        [&](std::FILE* file, std::string& reason) {
            Archive ar(file, Archive::Mode::Store, 0, digest);
            storeInto(ar, signature, version, body);
            const bool ok = ar.Close();
            reason = ar.error();
            return ok;
        },
        why, written);
}

LoadResult loadFile(const std::string& path, const char* signature, std::uint32_t& version,
                    const ArchiveBody& body, Digest* digest, std::optional<FileState>* seen) {
    LoadResult result;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.status = (errno == ENOENT || errno == ENOTDIR) ? LoadResult::Status::Missing
                                                              : LoadResult::Status::Unreadable;
        result.why = std::strerror(errno);
        return result;
    }
    const std::optional<FileState> state = StateOfOpenFile(fd);
    if (!state) {
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
    result = LoadArchive(file, state->size, signature, version, body, digest);
    std::fclose(file);
    if (seen) *seen = state;
    return result;
}

// The once-a-day word that today's copy could not be kept.
void warnOfBackupFailure(const DataFileKind& kind, const std::string& path, const std::string& why) {
    const std::string today = BackupDayOf(clock().now());
    {
        std::lock_guard<std::mutex> lock(g_knownMutex);
        std::string& warned = g_backupWarnedDay[FolderOf(path)];
        if (warned == today) return;
        warned = today;
    }
    messages().fileError(std::string("Veltrin could not keep today's backup copy of ") + kind.fileName +
                         " (" + why + "). Your changes were saved; Veltrin will try again at its next save.");
}

bool storeDataFile(const DataFileKind& kind, const std::string& path, const ArchiveBody& body) {
    const std::uint32_t version = SharedVersion();
    // Kept so a real change is not hashed a second time while it is written.
    std::optional<DigestValue> stored;
    if (const std::optional<KnownFile> last = known(path)) {
        const std::optional<FileState> now = StateOfFile(path);
        if (now && *now == last->state) {
            stored = DigestOfStore(kind.signature, version, body);
            // The same bytes would go in: the file is as a store would leave it.
            if (*stored == last->digest) return true;
        }
    }
    std::string backupWhy;
    const bool backedUp = BackUpBeforeReplace(path, clock().now(), backupWhy);
    Digest digest;
    FileState written;
    if (!storeFile(path, kind.signature, version, body, nullptr, stored ? nullptr : &digest, &written)) {
        messages().fileError("Unable to write configuration file!");
        return false;
    }
    remember(path, written, stored ? *stored : digest.value());
    if (!backedUp) warnOfBackupFailure(kind, path, backupWhy);
    return true;
}

}  // namespace

const DataFileKind* DataFileKindNamed(const std::string& fileName) {
    for (const DataFileKind* kind : kDataFileKinds)
        if (fileName == kind->fileName) return kind;
    return nullptr;
}

bool IsDataFileName(const std::string& name) { return DataFileKindNamed(name) != nullptr; }

bool IsDataFileTemporary(const std::string& name) {
    for (const DataFileKind* kind : kDataFileKinds)
        if (IsTemporaryOf(name, kind->fileName)) return true;
    return false;
}

std::uint32_t& SharedVersion() {
    static std::uint32_t version = kDefaultVersionBits;
    return version;
}

DigestValue DigestOfStore(const char* signature, std::uint32_t version, const ArchiveBody& body) {
    Digest digest;
    Archive ar(nullptr, Archive::Mode::Store, 0, &digest);
    storeInto(ar, signature, version, body);
    ar.Close();
    return digest.value();
}

std::string PreserveDamagedFile(const std::string& path) { return KeepCopyAside(path, ".damaged"); }

LoadResult LoadArchive(std::FILE* file, std::uint64_t size, const char* signature, std::uint32_t& version,
                       const ArchiveBody& body, Digest* digest) {
    LoadResult result;
    Archive ar(file, Archive::Mode::Load, size, digest);
    std::uint32_t headVersion = 0;
    ar.float32(headVersion);
    if (ar.ok()) {
        version = headVersion;
        result.versionRead = true;
    }
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
    result.readToEnd = ar.ok() && ar.position() == size;
    return result;
}

LoadResult LoadArchiveFile(const std::string& path, const char* signature, std::uint32_t& version,
                           const ArchiveBody& body) {
    return loadFile(path, signature, version, body, nullptr, nullptr);
}

bool StoreArchiveFile(const std::string& path, const char* signature, std::uint32_t version,
                      const ArchiveBody& body, std::string* why) {
    return storeFile(path, signature, version, body, why, nullptr, nullptr);
}

void ForgetStoredDigests() {
    std::lock_guard<std::mutex> lock(g_knownMutex);
    g_known.clear();
}

std::size_t RemoveStaleTemporaries(const std::string& dataFolder) {
    std::vector<std::string> folders{dataFolder};
    for (const std::string& day : BackupDays(dataFolder))
        folders.push_back(BackupFolderOf(dataFolder) + "/" + day);
    std::size_t removed = 0;
    for (const std::string& folder : folders) {
        for (const std::string& name : NamesInFolder(folder)) {
            const std::string path = folder + "/" + name;
            struct stat st {};
            if (IsDataFileTemporary(name) && ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                ::unlink(path.c_str()) == 0)
                ++removed;
        }
    }
    return removed;
}

namespace {
std::atomic<bool> g_absentFilesExpected{false};
}  // namespace

void SetAbsentFilesExpected(bool expected) { g_absentFilesExpected = expected; }

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
        return storeDataFile(kind, path, body);
    }

    return FinishDataFileLoad(kind, ReadDataFile(path, kind, body));
}

DataFileRead ReadDataFile(const std::string& path, const DataFileKind& kind, const ArchiveBody& body) {
    DataFileRead read;
    read.path = path;
    Digest digest;
    read.result = loadFile(path, kind.signature, read.version, body, &digest, &read.seen);
    read.digest = digest.value();
    return read;
}

bool FinishDataFileLoad(const DataFileKind& kind, const DataFileRead& read) {
    const std::string& path = read.path;
    const LoadResult& r = read.result;
    if (r.versionRead) SharedVersion() = read.version;
    // Only a file read whole is known: bytes past the records would not be written back.
    if (r.ok() && r.readToEnd && read.seen)
        remember(path, *read.seen, read.digest);
    else
        forget(path);
    switch (r.status) {
    case LoadResult::Status::Ok: return true;
    case LoadResult::Status::Missing:
        if (!g_absentFilesExpected) messages().fileError(std::string("Cannot find ") + kind.fileName);
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
