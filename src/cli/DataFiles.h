#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "cli/Commands.h"
#include "contacts/ContactRecords.h"
#include "documents/DocumentRecords.h"
#include "events/EventRecords.h"
#include "platform/InstanceLock.h"
#include "settings/AppSettings.h"
#include "storage/DataFile.h"
#include "storage/SafeFile.h"

namespace veltrin::cli {

// Any one of the five data files, with the records the program keeps for it.
// Only the part of the file's kind is filled.
struct AnyDataFile {
    const DataFileKind* kind = nullptr;  // null until a signature was recognised
    std::uint32_t version = 0;           // the float's bits, as found
    std::uint64_t trailingBytes = 0;     // after the last record; loading ignores them
    AppSettings settings;
    DiaryTable diary;
    NoteTable notes;
    EventStore events;
    ContactStore contacts;

    // The body of the file after its header, through the program's own transfers.
    ArchiveBody body();
};

// Loads a data file of any kind, told apart by its signature. A signature
// that is none of the five gives WrongFormat with no kind.
LoadResult LoadAnyDataFile(const std::string& path, AnyDataFile& file);

// The file's version as a number: the shortest decimal that reads back as the
// same float (1.1 rather than 1.100000023841858); NaN when it is not finite.
double VersionNumber(std::uint32_t bits);

// Tells why a file did not load, in the program's own words and with the byte
// offset of any damage, on the error stream. Returns the exit status (1).
// expected names the file's kind when the command wants one kind only.
int ReportLoadFailure(Output io, const std::string& path, const LoadResult& result,
                      const DataFileKind* expected = nullptr);

// A stored text on one line of a listing: tabs and line breaks become blanks.
std::string OneLine(const std::string& bytes);

// Loads Events.dat of a data folder into the store. 0 when it loaded whole;
// otherwise the failure is reported and its exit status returned.
int LoadEventsOfFolder(const std::string& dataFolder, Output io, EventStore& store);

// Whether a file of the expected kind loaded whole, in a few words for one
// line: "loads whole", or what is wrong with it.
std::string LoadVerdict(const LoadResult& result, const AnyDataFile& file, const DataFileKind& expected);

// A command on one data file: it loads the file whole and then runs what the
// command does with it. A file that does not load whole is reported, with
// failureNote after the reason when given, and gives status 1. A command that
// writes holds the lock of the file's folder throughout.
using LoadedFileAction = std::function<int(const std::string& path, AnyDataFile& file)>;
Command AddDataFileCommand(CLI::App& program, Output io, const char* name, const char* description,
                           LoadedFileAction action, const char* failureNote = nullptr, bool writes = false);

// A command that writes holds the data folder's lock while it runs: a running
// program would write over its change at its next save. While a program holds
// it, says so in one line and gives false.
bool HoldDataFolder(InstanceLock& lock, const std::string& dataFolder, Output io);

}  // namespace veltrin::cli
