#include <ostream>

#include "cli/DataFiles.h"

namespace veltrin::cli {

namespace {

std::string Count(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string Contents(const AnyDataFile& f) {
    if (f.kind == &kSettingsFile) return "settings";
    if (f.kind == &kDiaryFile) return Count(f.diary.size(), "page", "pages");
    if (f.kind == &kNotesFile) return Count(f.notes.size(), "note", "notes");
    if (f.kind == &kEventsFile)
        return Count(f.events.groups.size(), "group", "groups") + ", " +
               Count(f.events.events.size(), "event", "events");
    return Count(f.contacts.groups.size(), "group", "groups") + ", " +
           Count(f.contacts.contacts.size(), "contact", "contacts");
}

}  // namespace

Command AddCheckCommand(CLI::App& program, Output io) {
    return AddDataFileCommand(
        program, io, "check",
        "Load a data file as the program does. Exit status 0 when it loads whole; otherwise 1, "
        "with what is wrong and the byte offset where it was found.",
        [io](const std::string& path, AnyDataFile& file) {
            io.out << FileNameOf(path) << " loads whole: " << file.kind->signature << " file, version "
                   << VersionNumber(file.version) << ", " << Contents(file);
            if (file.trailingBytes > 0)
                io.out << "; the " << Count(file.trailingBytes, "byte", "bytes")
                       << " after its end are ignored";
            io.out << ".\n";
            return 0;
        });
}

}  // namespace veltrin::cli
