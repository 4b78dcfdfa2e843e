#include <CLI/CLI.hpp>

#include "cli/DataFiles.h"
#include "storage/StoredText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <ostream>

namespace veltrin::cli {

ArchiveBody AnyDataFile::body() {
    if (kind == &kSettingsFile) return [this](Archive& ar) { settings.Transfer(ar); };
    if (kind == &kDiaryFile) return [this](Archive& ar) { TransferRecords(ar, diary); };
    if (kind == &kNotesFile) return [this](Archive& ar) { TransferRecords(ar, notes); };
    if (kind == &kEventsFile) return [this](Archive& ar) { TransferEventStore(ar, events); };
    if (kind == &kContactsFile) return [this](Archive& ar) { TransferContactStore(ar, contacts); };
    return [](Archive& ar) { ar.fail("the file's kind is unknown"); };
}

LoadResult LoadAnyDataFile(const std::string& path, AnyDataFile& file) {
    LoadResult result;
    result.status = LoadResult::Status::WrongFormat;
    for (const DataFileKind* kind : kDataFileKinds) {
        file.kind = kind;
        const ArchiveBody body = file.body();
        bool bodyReached = false;
        result = LoadArchiveFile(path, kind->signature, file.version, [&](Archive& ar) {
            bodyReached = true;
            body(ar);
            file.trailingBytes = ar.remaining();
        });
        // Only a read signature can rule a kind out; anything else ends the search.
        if (result.status != LoadResult::Status::WrongFormat) {
            if (!bodyReached) file.kind = nullptr;
            return result;
        }
    }
    file.kind = nullptr;
    return result;
}

double VersionNumber(std::uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    if (!std::isfinite(f)) return std::nan("");
    char text[32];
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(f));
        if (std::strtof(text, nullptr) == f) break;
    }
    return std::strtod(text, nullptr);
}

std::string LoadVerdict(const LoadResult& result, const AnyDataFile& file, const DataFileKind& expected) {
    switch (result.status) {
    case LoadResult::Status::Ok:
        if (file.kind == &expected) return "loads whole";
        return std::string("wrong file format: a ") + file.kind->signature + " file";
    case LoadResult::Status::Missing: return "missing";
    case LoadResult::Status::Unreadable: return "cannot be opened (" + result.why + ")";
    case LoadResult::Status::WrongFormat: return "wrong file format";
    case LoadResult::Status::Damaged:
        return "damaged: " + result.why + " (at byte " + std::to_string(result.offset) + ")";
    }
    return "cannot be read";
}

bool HoldDataFolder(InstanceLock& lock, const std::string& dataFolder, Output io) {
    if (lock.acquire(dataFolder)) return true;
    io.err << "veltrin-data: Veltrin is running with the data folder \"" << dataFolder
           << "\" and would write over this change at its next save; end it first.\n";
    return false;
}

std::string OneLine(const std::string& bytes) {
    std::string text = StoredTextToUtf8(bytes);
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return text;
}

int LoadEventsOfFolder(const std::string& dataFolder, Output io, EventStore& store) {
    const std::string path = dataFolder + "/" + kEventsFile.fileName;
    std::uint32_t version = 0;
    const LoadResult r = LoadArchiveFile(path, kEventsFile.signature, version,
                                         [&store](Archive& ar) { TransferEventStore(ar, store); });
    return r.ok() ? 0 : ReportLoadFailure(io, path, r, &kEventsFile);
}

int ReportLoadFailure(Output io, const std::string& path, const LoadResult& result,
                      const DataFileKind* expected) {
    const std::string name = FileNameOf(path);
    switch (result.status) {
    case LoadResult::Status::Ok: return 0;
    case LoadResult::Status::Missing: io.err << "Cannot find " << name << '\n'; break;
    case LoadResult::Status::Unreadable:
        io.err << "Cannot find " << name << '\n'
               << name << " exists but cannot be opened (" << result.why << ").\n";
        break;
    case LoadResult::Status::WrongFormat:
        io.err << "Wrong file format!\n" << name << " is not a file Veltrin can read: ";
        if (expected) {
            io.err << "its signature is not \"" << expected->signature << "\".\n";
        } else {
            io.err << "its signature is none of";
            for (const DataFileKind* kind : kDataFileKinds)
                io.err << (kind == kDataFileKinds[0] ? " \"" : ", \"") << kind->signature << '"';
            io.err << ".\n";
        }
        break;
    case LoadResult::Status::Damaged:
        io.err << name << " is damaged: " << result.why << " (at byte " << result.offset << ").\n";
        break;
    }
    return 1;
}

Command AddDataFileCommand(CLI::App& program, Output io, const char* name, const char* description,
                           LoadedFileAction action, const char* failureNote, bool writes) {
    auto path = std::make_shared<std::string>();
    CLI::App* parser = program.add_subcommand(name, description);
    parser->add_option("FILE", *path, "The data file")->required();
    return {parser, [path, io, action = std::move(action), failureNote, writes] {
                // Held from before the load, so no program starts in between.
                InstanceLock lock;
                if (writes && !HoldDataFolder(lock, FolderOf(*path), io)) return 1;
                // Five record sets are too much for the stack.
                auto file = std::make_unique<AnyDataFile>();
                const LoadResult r = LoadAnyDataFile(*path, *file);
                if (!r.ok()) {
                    ReportLoadFailure(io, *path, r);
                    if (failureNote) io.err << FileNameOf(*path) << ' ' << failureNote << '\n';
                    return 1;
                }
                return action(*path, *file);
            }};
}

}  // namespace veltrin::cli
