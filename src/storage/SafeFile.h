#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace veltrin {

// The last part of a path, and the folder that holds it ("." when none).
std::string FileNameOf(const std::string& path);
std::string FolderOf(const std::string& path);

// What the file system says of a file: enough to notice that something other
// than the last store wrote it.
struct FileState {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    bool operator==(const FileState& o) const {
        return device == o.device && inode == o.inode && size == o.size &&
               modifiedSeconds == o.modifiedSeconds && modifiedNanoseconds == o.modifiedNanoseconds;
    }
    bool operator!=(const FileState& o) const { return !(*this == o); }
};
// Empty when there is no regular file at path.
std::optional<FileState> StateOfFile(const std::string& path);
std::optional<FileState> StateOfOpenFile(int fd);

// Puts the new content into an open stream; false with a reason on failure.
using FileWriter = std::function<bool(std::FILE* file, std::string& why)>;

// Replaces path whole or not at all: the content goes to a temporary file
// beside it, is synced, and only then renamed over the old file. On any
// failure the old file is as it was, the temporary is gone and why says what
// failed. mode gives the new file's permissions; by default it keeps the old
// file's (0644 for a new one). written, when given, receives the new file's
// state.
bool ReplaceFileSafely(const std::string& path, const FileWriter& write, std::string* why = nullptr,
                       FileState* written = nullptr, int mode = -1);

// A writer that copies the bytes of another file.
FileWriter CopyOfFile(const std::string& source);
// A writer that puts these bytes.
FileWriter BytesOf(std::string bytes);

// The temporary a replacement of the file named fileName writes first is
// named ".<fileName>.veltrin-tmp-" and six letters or digits; nothing else
// has that name. A killed store leaves it behind.
bool IsTemporaryOf(const std::string& name, const std::string& fileName);

// The names in a folder, without "." and "..". Empty when it cannot be read;
// why, when given, then says why, unless the folder is simply not there.
std::vector<std::string> NamesInFolder(const std::string& folder, std::string* why = nullptr);

// The whole content of the file at path, read in one go; false with the
// reason in why when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& text, std::string& why);

// Keeps a copy of a file beside it under a name not yet in use (path +
// suffix, then suffix-2, ...). Returns the copy's path, or an empty string
// when no copy could be made.
std::string KeepCopyAside(const std::string& path, const std::string& suffix);

}  // namespace veltrin
