#include <CLI/CLI.hpp>

#include <map>
#include <memory>
#include <ostream>

#include "cli/DataFiles.h"
#include "interop/ContactCards.h"
#include "interop/GroupPaths.h"
#include "interop/ICalendar.h"
#include "interop/ViewTransfer.h"
#include "platform/Platform.h"
#include "storage/Backups.h"
#include "storage/SafeFile.h"
#include "storage/StoredText.h"

namespace veltrin::cli {

namespace {

struct ExportOptions {
    std::string data, kind, group, format, out;
};

struct ImportOptions {
    std::string data, file, group = "Imported";
    bool dryRun = false;
};

// One data file of a known kind from a folder; a missing file is an empty one.
bool LoadKind(const std::string& folder, const DataFileKind& kind, AnyDataFile& file, Output io) {
    file.kind = &kind;
    file.version = SharedVersion();
    const std::string path = folder + "/" + kind.fileName;
    const LoadResult r = LoadArchiveFile(path, kind.signature, file.version, file.body());
    if (r.ok() || r.status == LoadResult::Status::Missing) return true;
    ReportLoadFailure(io, path, r, &kind);
    return false;
}

bool WriteText(const std::string& path, const std::string& text, Output io) {
    std::string why;
    const bool ok = WriteExportFile(path, text, why);
    if (!ok) io.err << "veltrin-data: " << path << " could not be written: " << why << "\n";
    return ok;
}

int RunExport(const ExportOptions& o, Output io) {
    static const std::map<std::string, const DataFileKind*> kKinds = {{"events", &kEventsFile},
                                                                      {"diary", &kDiaryFile},
                                                                      {"notes", &kNotesFile},
                                                                      {"contacts", &kContactsFile}};
    const auto kind = kKinds.find(o.kind);
    if (kind == kKinds.end())
        return BadArguments(io, "unknown kind '" + o.kind + "' (expected events, diary, notes or contacts)");
    const std::string format = !o.format.empty() ? o.format : o.kind == "contacts" ? "vcf" : "ics";
    const bool fits =
        o.kind == "contacts" ? format == "vcf" : format == "ics" || (format == "html" && o.kind == "notes");
    if (!fits) return BadArguments(io, "the " + o.kind + " cannot be exported as " + format);
    if (!o.group.empty() && o.kind != "events" && o.kind != "contacts")
        return BadArguments(io, "only events and contacts have groups");

    auto file = std::make_unique<AnyDataFile>();
    const std::string path = o.data + "/" + kind->second->fileName;
    const LoadResult r = LoadArchiveFile(path, kind->second->signature, file->version,
                                         (file->kind = kind->second, file->body()));
    if (!r.ok()) return ReportLoadFailure(io, path, r, kind->second);
    const bool noGroup = (o.kind == "events" && GroupWithSubgroups(file->events.groups, o.group).empty()) ||
                         (o.kind == "contacts" && GroupWithSubgroups(file->contacts.groups, o.group).empty());
    if (!o.group.empty() && noGroup) {
        io.err << "veltrin-data: there is no group named \"" << o.group << "\".\n";
        return 1;
    }
    const std::int64_t now = clock().now();
    bool ok = false;
    std::string why;
    if (format == "html") {
        ok = WriteNoteFolder(file->notes, o.out, why);
        if (!ok) io.err << "veltrin-data: " << why << ".\n";
    } else if (o.kind == "events") {
        ok = WriteText(o.out, EventsToICalendar(file->events, o.group, now), io);
    } else if (o.kind == "diary") {
        ok = WriteText(o.out, DiaryToICalendar(file->diary, now), io);
    } else if (o.kind == "notes") {
        ok = WriteText(o.out, NotesToICalendar(file->notes, now), io);
    } else {
        ok = WriteText(o.out, ContactsToVCard(file->contacts, o.group), io);
    }
    return ok ? 0 : 1;
}

void Report(Output io, const char* what, const ImportReport& r) { io.out << r.Sentence(what) << "\n"; }

int RunImport(const ImportOptions& o, Output io) {
    std::string text, why;
    if (!ReadWholeFile(o.file, text, why)) {
        io.err << "veltrin-data: " << o.file << " cannot be opened (" << why << ").\n";
        return 1;
    }
    const InteropText kind = KindOfInteropText(text);
    const bool cards = kind == InteropText::Cards;
    if (kind == InteropText::Neither) {
        io.err << "veltrin-data: " << o.file << " is neither an iCalendar nor a vCard file.\n";
        return 1;
    }

    // Held from before the loads, so no program starts in between.
    InstanceLock lock;
    if (!o.dryRun && !HoldDataFolder(lock, o.data, io)) return 1;
    const std::vector<const DataFileKind*> kinds =
        cards ? std::vector<const DataFileKind*>{&kContactsFile}
              : std::vector<const DataFileKind*>{&kEventsFile, &kDiaryFile, &kNotesFile};
    std::map<const DataFileKind*, std::unique_ptr<AnyDataFile>> files;
    for (const DataFileKind* kind : kinds) {
        files[kind] = std::make_unique<AnyDataFile>();
        if (!LoadKind(o.data, *kind, *files[kind], io)) {
            io.err << "Nothing was imported.\n";
            return 1;
        }
    }

    std::vector<const DataFileKind*> changed;
    if (cards) {
        const ImportReport r = ImportVCard(files[&kContactsFile]->contacts, text, o.group);
        Report(io, "Contacts", r);
        if (r.added) changed.push_back(&kContactsFile);
    } else {
        const CalendarImport r = ImportICalendar(text, files[&kEventsFile]->events, files[&kDiaryFile]->diary,
                                                 files[&kNotesFile]->notes, o.group, clock().now());
        if (!r.ok) {
            io.err << "veltrin-data: " << o.file << " is not an iCalendar file Veltrin can read.\n";
            return 1;
        }
        Report(io, "Events", r.events);
        Report(io, "Diary pages", r.diary);
        Report(io, "Notes", r.notes);
        if (r.events.added) changed.push_back(&kEventsFile);
        if (r.diary.added) changed.push_back(&kDiaryFile);
        if (r.notes.added) changed.push_back(&kNotesFile);
    }
    if (o.dryRun) {
        io.out << "A trial run: nothing was changed.\n";
        return 0;
    }
    for (const DataFileKind* kind : changed) {
        const std::string path = o.data + "/" + kind->fileName;
        std::string why;
        if (!BackUpBeforeReplace(path, clock().now(), why)) {
            io.err << "veltrin-data: " << kind->fileName << " could not be backed up (" << why
                   << "), so it was not changed.\n";
            return 1;
        }
        AnyDataFile& file = *files[kind];
        if (!StoreArchiveFile(path, kind->signature, file.version, file.body(), &why)) {
            io.err << "Unable to write configuration file!\n" << kind->fileName << ": " << why << "\n";
            return 1;
        }
    }
    return 0;
}

}  // namespace

Command AddExportCommand(CLI::App& program, Output io) {
    auto options = std::make_shared<ExportOptions>();
    CLI::App* parser = program.add_subcommand(
        "export",
        "Write the events, diary pages or notes of a data folder as iCalendar (notes also as a folder "
        "of HTML pages), or its contacts as vCard 4.0. Texts are written as UTF-8.");
    parser->add_option("--data", options->data, "The data folder")->required();
    parser->add_option("--kind", options->kind, "events, diary, notes or contacts")->required();
    parser->add_option("--group", options->group,
                       "Only this group of events or contacts, with its subgroups");
    parser->add_option("--format", options->format, "ics, vcf or html (notes only)");
    parser->add_option("OUT", options->out, "The file (or, for html, the folder) to write")->required();
    return {parser, [options, io] { return RunExport(*options, io); }};
}

Command AddImportCommand(CLI::App& program, Output io) {
    auto options = std::make_shared<ImportOptions>();
    CLI::App* parser = program.add_subcommand(
        "import",
        "Add the events, journals and contacts of an iCalendar or vCard file to a data folder. "
        "Nothing there is replaced or removed; what is there already is passed over. Each changed "
        "file is first kept in the day's backup. Refused (exit status 1) while Veltrin runs with "
        "that data folder.");
    parser->add_option("--data", options->data, "The data folder")->required();
    parser->add_option("FILE", options->file, "The .ics or .vcf file")->required();
    parser->add_option("--group", options->group,
                       "The top-level group for events and contacts (made when missing)");
    parser->add_flag("--dry-run", options->dryRun, "Only say what would be imported");
    return {parser, [options, io] { return RunImport(*options, io); }};
}

}  // namespace veltrin::cli
