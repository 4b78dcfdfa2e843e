#include "sync/SyncRun.h"

#include <sys/stat.h>

#include <cerrno>
#include <functional>
#include <memory>

#include "contacts/ContactRecords.h"
#include "documents/DocumentRecords.h"
#include "events/EventRecords.h"
#include "storage/Backups.h"
#include "storage/DataFile.h"
#include "sync/ContactSyncKind.h"
#include "sync/EventSyncKind.h"
#include "sync/JournalSyncKind.h"
#include "sync/SyncConfig.h"

namespace veltrin {

namespace {

std::string CountsLine(const char* what, const SyncCounts& c) {
    std::string line = std::string(what) + ": " + std::to_string(c.sentUp) + " sent, " +
                       std::to_string(c.broughtDown) + " brought down, " + std::to_string(c.deletedHere) +
                       " deleted here, " + std::to_string(c.deletedThere) + " deleted on the server, " +
                       std::to_string(c.conflicts) + " changed on both sides (both kept), " +
                       std::to_string(c.restored) + " restored";
    if (c.failed) line += ", " + std::to_string(c.failed) + " left for the next sync";
    line += ".\n";
    for (const std::string& note : c.notes) line += "  " + note + "\n";
    return line;
}

// The calendars for events and for journals and the address book: the
// configured ones, or the first the account has (a calendar that takes
// VEVENTs, one that takes VJOURNALs; often the same). An account without an
// address book or a calendar for journals syncs its events only.
bool FindCollections(DavClient& dav, const SyncConfig& config, std::string& events, std::string& contacts,
                     std::string& journals, std::string& why) {
    if (!config.eventsCollection.empty()) events = ResolveUrl(config.url, config.eventsCollection);
    if (!config.contactsCollection.empty()) contacts = ResolveUrl(config.url, config.contactsCollection);
    if (!config.journalsCollection.empty()) journals = ResolveUrl(config.url, config.journalsCollection);
    if (!events.empty() && !contacts.empty() && !journals.empty()) return true;
    std::vector<DavCollection> found;
    const DavResult r = dav.Discover(config.url, found);
    if (!r.ok()) {
        why = r.error;
        return false;
    }
    for (const DavCollection& c : found) {
        bool takesEvents = c.components.empty(), takesJournals = c.components.empty();
        for (const std::string& comp : c.components) {
            takesEvents = takesEvents || comp == "VEVENT";
            takesJournals = takesJournals || comp == "VJOURNAL";
        }
        if (events.empty() && c.calendar && takesEvents) events = c.url;
        if (journals.empty() && c.calendar && takesJournals) journals = c.url;
        if (contacts.empty() && c.addressBook) contacts = c.url;
    }
    if (events.empty()) why = "The server has no calendar for events at " + config.url;
    return !events.empty();
}

// One data file and its kind of record, as a sync reads and changes it.
struct SyncedFile {
    const DataFileKind& file;
    std::string path;
    std::uint32_t version = SharedVersion();
    std::function<void(Archive&)> body;

    bool Load(std::string& why) {
        const LoadResult loaded = LoadArchiveFile(path, file.signature, version, body);
        if (loaded.ok() || loaded.status == LoadResult::Status::Missing) return true;
        why = path + " does not load whole, so nothing was synced";
        return false;
    }
    // The staged changes into the file: the day's backup first, then one safe store.
    bool Store(std::int64_t now, std::string& why) {
        std::string reason;
        if (!BackUpBeforeReplace(path, now, reason)) {
            why = std::string(file.fileName) + " could not be backed up (" + reason +
                  "), so it was not changed";
            return false;
        }
        if (!StoreArchiveFile(path, file.signature, version, body, &reason)) {
            why = std::string(file.fileName) + " could not be written: " + reason;
            return false;
        }
        return true;
    }
};

}  // namespace

std::string SyncReport::Summary() const {
    std::string text =
        CountsLine("Events", events) +
        (contactsSynced ? CountsLine("Contacts", contacts)
                        : std::string("Contacts: not synced, the server has no address book.\n"));
    if (!journalsSynced)
        return text + "Diary pages and notes: not synced, the server has no calendar for journals.\n";
    text += CountsLine("Diary pages", diaryPages) + CountsLine("Notes", notes);
    if (journals.failed)
        text += "Diary pages and notes: " + std::to_string(journals.failed) + " left for the next sync.\n";
    for (const std::string& note : journals.notes) text += "  " + note + "\n";
    return text;
}

std::string SyncStatusPath(const std::string& dataFolder) { return SyncFolderOf(dataFolder) + "/status"; }

std::string JournalsStatusKey(const std::string& calendarUrl) { return calendarUrl + "#journals"; }

SyncReport SyncDataFolder(const SyncRequest& request) {
    SyncReport report;
    SyncConfig config;
    if (!LoadSyncConfig(request.dataFolder, config, report.error)) return report;
    HttpOptions options;
    options.user = config.user;
    options.allowUnencrypted = config.allowUnencrypted;
    if (request.passwordGiven) {
        options.password = request.password;
    } else if (!config.passwordCommand.empty() &&
               !RunPasswordCommand(config.passwordCommand, options.password, report.error)) {
        return report;
    }
    std::unique_ptr<CurlTransport> own;
    HttpTransport* http = request.transport;
    if (!http) http = (own = std::make_unique<CurlTransport>(options)).get();
    DavClient dav(*http);

    SyncStatus status;
    const std::string statusPath = SyncStatusPath(request.dataFolder);
    if (!status.Load(statusPath, report.error)) return report;

    EventStore events;
    ContactStore contacts;
    SyncedFile eventsFile{kEventsFile, request.dataFolder + "/" + kEventsFile.fileName, SharedVersion(),
                          [&](Archive& ar) { TransferEventStore(ar, events); }};
    SyncedFile contactsFile{kContactsFile, request.dataFolder + "/" + kContactsFile.fileName, SharedVersion(),
                            [&](Archive& ar) { TransferContactStore(ar, contacts); }};
    DiaryTable diary;
    NoteTable notes;
    SyncedFile diaryFile{kDiaryFile, request.dataFolder + "/" + kDiaryFile.fileName, SharedVersion(),
                         [&](Archive& ar) { TransferRecords(ar, diary); }};
    SyncedFile notesFile{kNotesFile, request.dataFolder + "/" + kNotesFile.fileName, SharedVersion(),
                         [&](Archive& ar) { TransferRecords(ar, notes); }};
    if (!eventsFile.Load(report.error) || !contactsFile.Load(report.error) || !diaryFile.Load(report.error) ||
        !notesFile.Load(report.error))
        return report;

    std::string eventsUrl, contactsUrl, journalsUrl;
    if (!FindCollections(dav, config, eventsUrl, contactsUrl, journalsUrl, report.error)) return report;
    std::string why;
    const auto keepStatus = [&] {
        if (::mkdir(SyncFolderOf(request.dataFolder).c_str(), 0700) != 0 && errno != EEXIST) return false;
        return status.Save(statusPath, why);
    };
    // Each kind in turn, its file changed only once its network part is
    // done; a kind that fails stops the sync, keeping what the server took.
    const auto syncFiles = [&](const std::string& url, const std::string& statusKey, SyncKind& kind,
                               const std::vector<SyncedFile*>& files, SyncCounts& counts,
                               std::map<std::string, SyncCounts>* parts) {
        std::map<std::string, SyncEntry>& entries = status.of(statusKey);
        const CollectionSync done =
            SyncCollection(dav, url, kind, entries, status.token(statusKey), request.allowMassDelete);
        counts = done.counts;
        if (parts) *parts = done.parts;
        report.massDelete = done.massDelete;
        if (!done.ok) {
            report.error = done.error;
            return false;
        }
        if (kind.HasStaged()) {
            kind.Apply();
            for (SyncedFile* file : files)
                if (!file->Store(request.now, report.error)) return false;
            report.dataChanged = true;
        }
        CommitPending(done.pending, entries);
        status.token(statusKey) = done.token;
        return true;
    };
    const auto syncKind = [&](const std::string& url, SyncKind& kind, SyncedFile& file, SyncCounts& counts) {
        return syncFiles(url, url, kind, {&file}, counts, nullptr);
    };
    EventSyncKind eventKind(events, request.now);
    bool synced = syncKind(eventsUrl, eventKind, eventsFile, report.events);
    if (synced && !contactsUrl.empty()) {
        ContactSyncKind contactKind(contacts, status.of(contactsUrl));
        report.contactsSynced = true;
        synced = syncKind(contactsUrl, contactKind, contactsFile, report.contacts);
    }
    if (synced && !journalsUrl.empty()) {
        const std::string key = JournalsStatusKey(journalsUrl);
        JournalSyncKind journalKind(diary, notes, status.of(key), request.now);
        report.journalsSynced = true;
        std::map<std::string, SyncCounts> parts;
        synced = syncFiles(journalsUrl, key, journalKind, {&diaryFile, &notesFile}, report.journals, &parts);
        report.diaryPages = parts["diary pages"];
        report.notes = parts["notes"];
    }
    if (!keepStatus()) {
        report.error = synced ? "The sync status could not be written: " + why
                              : report.error + "; the sync status could not be written either: " + why;
        return report;
    }
    report.ok = synced;
    return report;
}

}  // namespace veltrin
