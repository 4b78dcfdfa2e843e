#include <CLI/CLI.hpp>

#include <algorithm>
#include <memory>
#include <ostream>
#include <sys/stat.h>

#include "cli/DataFiles.h"
#include "storage/Backups.h"

namespace veltrin::cli {

namespace {

struct RestoreOptions {
    std::string data;
    std::string date;
    std::string file;
};

std::string DataFileNames() {
    std::string names;
    for (const DataFileKind* kind : kDataFileKinds)
        names += std::string(names.empty() ? "" : ", ") + kind->fileName;
    return names;
}

int RunRestore(const RestoreOptions& o, Output io) {
    if (!ParseDate(o.date)) return BadArguments(io, MalformedDateMessage(o.date));
    const DataFileKind* only = nullptr;
    if (!o.file.empty()) {
        only = DataFileKindNamed(o.file);
        if (!only)
            return BadArguments(io,
                                "unknown file '" + o.file + "' (expected one of " + DataFileNames() + ")");
    }
    const std::string day = BackupFolderOf(o.data) + "/" + o.date;
    const std::vector<std::string> days = BackupDays(o.data);
    if (std::find(days.begin(), days.end(), o.date) == days.end()) {
        io.err << "veltrin-data: there is no backup of " << o.date << " in " << BackupFolderOf(o.data)
               << ".\n";
        return 1;
    }
    std::vector<const DataFileKind*> kinds;
    for (const DataFileKind* kind : kDataFileKinds)
        if ((!only || kind == only) && StateOfFile(day + "/" + kind->fileName)) kinds.push_back(kind);
    if (kinds.empty()) {
        io.err << "veltrin-data: the backup of " << o.date << " holds no "
               << (only ? only->fileName : "data file") << ".\n";
        return 1;
    }

    InstanceLock lock;
    if (!HoldDataFolder(lock, o.data, io)) return 1;

    // Every copy must load whole before anything is replaced.
    for (const DataFileKind* kind : kinds) {
        auto file = std::make_unique<AnyDataFile>();
        const LoadResult r = LoadAnyDataFile(day + "/" + kind->fileName, *file);
        const std::string verdict = LoadVerdict(r, *file, *kind);
        if (!r.ok() || file->kind != kind) {
            io.err << "veltrin-data: the backup copy " << o.date << '/' << kind->fileName << " is not whole ("
                   << verdict << "); nothing was restored.\n";
            return 1;
        }
    }

    for (const DataFileKind* kind : kinds) {
        const std::string path = o.data + "/" + kind->fileName;
        std::string aside;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0) {
            aside = KeepCopyAside(path, ".before-restore");
            if (aside.empty()) {
                io.err << "veltrin-data: " << kind->fileName
                       << " could not be copied aside, so it was not replaced.\n";
                return 1;
            }
        }
        std::string why;
        if (!ReplaceFileSafely(path, CopyOfFile(day + "/" + kind->fileName), &why)) {
            io.err << "Unable to write configuration file!\n" << kind->fileName << ": " << why << "\n";
            return 1;
        }
        io.out << kind->fileName << " restored from the backup of " << o.date;
        if (!aside.empty()) io.out << "; the file it replaced was kept as \"" << aside << "\"";
        io.out << ".\n";
    }
    return 0;
}

}  // namespace

Command AddRestoreCommand(CLI::App& program, Output io) {
    auto options = std::make_shared<RestoreOptions>();
    CLI::App* parser = program.add_subcommand(
        "restore",
        "Put the backup copies of a day back into a data folder, or only the one file named. "
        "Each current file is first copied aside (for example Contacts.dat.before-restore) and "
        "then replaced safely. Nothing is replaced unless every copy loads whole. Refused (exit "
        "status 1) while Veltrin runs with that data folder.");
    parser->add_option("--data", options->data, "The data folder")->required();
    parser->add_option("--date", options->date, "The day of the backup, as YYYY-MM-DD")->required();
    parser->add_option("--file", options->file, "Only this file, for example Contacts.dat");
    return {parser, [options, io] { return RunRestore(*options, io); }};
}

}  // namespace veltrin::cli
