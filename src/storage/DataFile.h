#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "storage/Archive.h"
#include "storage/Digest.h"
#include "storage/SafeFile.h"

namespace veltrin {

// The five data files and their signatures.
struct DataFileKind {
    const char* fileName;
    const char* signature;
};
inline constexpr DataFileKind kSettingsFile{"Settings.dat", "Settings"};
inline constexpr DataFileKind kDiaryFile{"Diary.dat", "Diary"};
inline constexpr DataFileKind kNotesFile{"Notes.dat", "Notes"};
inline constexpr DataFileKind kEventsFile{"Events.dat", "Events"};
inline constexpr DataFileKind kContactsFile{"Contacts.dat", "Contacts"};
inline constexpr const DataFileKind* kDataFileKinds[] = {&kSettingsFile, &kDiaryFile, &kNotesFile,
                                                         &kEventsFile, &kContactsFile};

// The kind whose file has this name; null for any other name.
const DataFileKind* DataFileKindNamed(const std::string& fileName);
bool IsDataFileName(const std::string& name);
// A temporary that a store of one of the data files writes first.
bool IsDataFileTemporary(const std::string& name);

// The format version at the head of every file. One value serves all five:
// each load takes the four bytes it finds, each store writes what is held.
inline constexpr std::uint32_t kDefaultVersionBits = 0x3F8CCCCD;  // 1.1f
std::uint32_t& SharedVersion();

using ArchiveBody = std::function<void(Archive&)>;

// Loading a file by path, for the program and for tools that inspect files.
struct LoadResult {
    enum class Status { Ok, Missing, Unreadable, WrongFormat, Damaged };
    Status status = Status::Ok;
    std::string why;           // for Damaged: what is wrong
    std::uint64_t offset = 0;  // for Damaged: where it was found
    bool readToEnd = false;    // every byte of the file was read
    bool versionRead = false;  // the version at the head was read
    bool ok() const { return status == Status::Ok; }
};
LoadResult LoadArchiveFile(const std::string& path, const char* signature, std::uint32_t& version,
                           const ArchiveBody& body);
// The same from an open stream of the given size; a digest, when given, sees
// every byte read.
LoadResult LoadArchive(std::FILE* file, std::uint64_t size, const char* signature, std::uint32_t& version,
                       const ArchiveBody& body, Digest* digest = nullptr);

// Stores by writing a temporary file beside the old one and renaming it over
// it once everything is on disk: a failure leaves the old file as it was.
bool StoreArchiveFile(const std::string& path, const char* signature, std::uint32_t version,
                      const ArchiveBody& body, std::string* why = nullptr);

// What a store would write, without writing it.
DigestValue DigestOfStore(const char* signature, std::uint32_t version, const ArchiveBody& body);

// The shared skeleton of the five serialize operations: builds the path,
// loads or stores, and tells the user of every failure. A file that fails to
// load is copied aside before any later store may replace it.
//
// A store writes only when the bytes differ from those last loaded or stored
// there, or when something else changed the file since (its size, time or
// identity differ); otherwise the file already holds what a store would
// write. The first replacement of a file on a day keeps the old version in
// the backup folder first.
bool SerializeDataFile(bool storing, const DataFileKind& kind, const ArchiveBody& body);

// A load of a data file in two halves, so that the reading can run on
// another thread: ReadDataFile only reads, into what the body fills;
// FinishDataFileLoad, on the thread that keeps the program's state, takes the
// version, notes what the file held and tells the user of a failure.
// SerializeDataFile loads the same way, in one go.
struct DataFileRead {
    std::string path;
    LoadResult result;
    std::uint32_t version = 0;
    DigestValue digest{};
    std::optional<FileState> seen;
};
DataFileRead ReadDataFile(const std::string& path, const DataFileKind& kind, const ArchiveBody& body);
bool FinishDataFileLoad(const DataFileKind& kind, const DataFileRead& read);

// In a data folder the program has just made, no file is there yet and none
// is missed: a load of an absent file then fails quietly. Every other load
// failure still shows its message.
void SetAbsentFilesExpected(bool expected);

// Makes the next store of every data file write, whatever it held.
void ForgetStoredDigests();

// Removes the temporaries that stores killed part-way left in a data folder
// and its backup days. Only for the holder of the folder's lock: nothing else
// may be storing there. Returns how many were removed.
std::size_t RemoveStaleTemporaries(const std::string& dataFolder);

// Keeps a copy of a file that could not be loaded, under a name not yet in use
// (Events.dat.damaged, Events.dat.damaged-2, ...). Returns the copy's path, or
// an empty string when no copy could be made.
std::string PreserveDamagedFile(const std::string& path);

}  // namespace veltrin
