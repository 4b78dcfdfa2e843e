#include "sync/SyncRun.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <vector>

#include "contacts/ContactRecords.h"
#include "documents/DocumentRecords.h"
#include "events/EventRecords.h"
#include "storage/Backups.h"
#include "storage/DataFile.h"
#include "storage/Originals.h"
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

bool TakesEvents(const DavCollection& c) {
    if (!c.calendar) return false;
    bool takes = c.components.empty();
    for (const std::string& comp : c.components) takes = takes || comp == "VEVENT";
    return takes;
}

bool TakesJournals(const DavCollection& c) {
    if (!c.calendar) return false;
    bool takes = c.components.empty();
    for (const std::string& comp : c.components) takes = takes || comp == "VJOURNAL";
    return takes;
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
        if (events.empty() && TakesEvents(c)) events = c.url;
        if (journals.empty() && TakesJournals(c)) journals = c.url;
        if (contacts.empty() && c.addressBook) contacts = c.url;
    }
    if (events.empty()) why = "The server has no calendar for events at " + config.url;
    return !events.empty();
}

// The password given, or what the configuration's password command prints.
bool OptionsFor(const SyncConfig& config, const std::string* password, HttpOptions& options,
                std::string& why) {
    options.user = config.user;
    options.allowUnencrypted = config.allowUnencrypted;
    options.totalSeconds = config.timeoutSeconds;
    options.lowSpeedSeconds = std::min<long>(options.lowSpeedSeconds, config.timeoutSeconds);
    // The password goes only to the servers the user named.
    options.servers.push_back(config.url);
    for (const std::string* collection :
         {&config.eventsCollection, &config.contactsCollection, &config.journalsCollection})
        if (!collection->empty()) options.servers.push_back(ResolveUrl(config.url, *collection));
    if (password) {
        options.password = *password;
        return true;
    }
    return config.passwordCommand.empty() ||
           RunPasswordCommand(config.passwordCommand, options.password, why);
}

// One data file and its kind of record, as a sync reads and changes it.
struct SyncedFile {
    const DataFileKind& file;
    bool StoredFiles::*stored;
    std::string path;
    std::uint32_t version = SharedVersion();
    std::function<void(Archive&)> body;
    const char* part = nullptr;  // of a kind with parts, the one this file holds
    bool missing = false;

    bool Load(std::string& why) {
        const LoadResult loaded = LoadArchiveFile(path, file.signature, version, body);
        missing = loaded.status == LoadResult::Status::Missing;
        if (loaded.ok() || missing) return true;
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

// What a session holds between its steps. The files' bodies and the kinds
// refer to the stores here, so it never moves.
struct SyncSession::State {
    // A file and whether the kind's staged changes are in it.
    using FileOfKind = std::pair<SyncedFile*, std::function<bool()>>;
    // A collection whose network part is done, waiting for its files.
    struct Fetched {
        SyncKind* kind;
        std::vector<FileOfKind> files;
        std::string statusKey;
        PendingStatus pending;
        std::string token;
    };

    SyncRequest request;
    SyncReport report;
    SyncConfig config;
    SyncStatus status;
    std::string statusPath;
    Originals originals;  // stored with the data files, after them
    std::string originalsPath;
    bool loaded = false;
    bool found = false;  // the collections are known: the status may have changed
    EventStore events;
    ContactStore contacts;
    SyncedFile eventsFile{kEventsFile, &StoredFiles::events, request.dataFolder + "/" + kEventsFile.fileName,
                          SharedVersion(), [this](Archive& ar) { TransferEventStore(ar, events); }};
    SyncedFile contactsFile{kContactsFile, &StoredFiles::contacts,
                            request.dataFolder + "/" + kContactsFile.fileName, SharedVersion(),
                            [this](Archive& ar) { TransferContactStore(ar, contacts); }};
    DiaryTable diary;
    NoteTable notes;
    SyncedFile diaryFile{kDiaryFile,
                         &StoredFiles::diary,
                         request.dataFolder + "/" + kDiaryFile.fileName,
                         SharedVersion(),
                         [this](Archive& ar) { TransferRecords(ar, diary); },
                         "diary pages"};
    SyncedFile notesFile{kNotesFile,
                         &StoredFiles::notes,
                         request.dataFolder + "/" + kNotesFile.fileName,
                         SharedVersion(),
                         [this](Archive& ar) { TransferRecords(ar, notes); },
                         "notes"};
    std::unique_ptr<EventSyncKind> eventKind;
    std::unique_ptr<ContactSyncKind> contactKind;
    std::unique_ptr<JournalSyncKind> journalKind;
    std::vector<Fetched> fetched;

    explicit State(const SyncRequest& r)
        : request(r),
          statusPath(SyncStatusPath(r.dataFolder)),
          originalsPath(SyncFolderOf(r.dataFolder) + "/" + kOriginalsFileName) {}

    // Why a kind must not sync: its file is missing now, or the program read
    // it in part, while the status knows records of it. Syncing then would
    // delete them on the server.
    std::string Untrusted(const SyncedFile& f, const SyncKind& kind,
                          const std::map<std::string, SyncEntry>& entries) const {
        const std::vector<std::string>& inPart = request.filesNotWhole;
        const bool readInPart = std::find(inPart.begin(), inPart.end(), f.file.fileName) != inPart.end();
        if (!f.missing && !readInPart) return {};
        int known = 0;
        for (const auto& [href, e] : entries) {
            const char* part = kind.Part(e.key);
            known += !e.key.empty() && (!f.part || (part && std::strcmp(part, f.part) == 0));
        }
        if (!known) return {};
        return std::string(f.file.fileName) +
               (f.missing ? " is missing" : " did not load whole when Veltrin started") +
               " while the last sync knew " + std::to_string(known) + " " + (f.part ? f.part : kind.Noun()) +
               ", so " + kind.Noun() + " were not synced and nothing was deleted";
    }

    bool SaveStatus(std::string& why) {
        if (::mkdir(SyncFolderOf(request.dataFolder).c_str(), 0700) != 0 && errno != EEXIST) {
            why = SyncFolderOf(request.dataFolder) + " could not be made";
            return false;
        }
        return status.Save(statusPath, why);
    }
    // The status saved, or the error saying it was not.
    void KeepStatus() {
        std::string why;
        if (SaveStatus(why)) return;
        report.ok = false;
        report.error = report.error.empty()
                           ? "The sync status could not be written: " + why
                           : report.error + "; the sync status could not be written either: " + why;
    }
};

SyncSession::SyncSession(const SyncRequest& request) : state_(std::make_unique<State>(request)) {}

SyncSession::~SyncSession() = default;

const SyncReport& SyncSession::report() const { return state_->report; }

bool SyncSession::Load() {
    State& s = *state_;
    SyncReport& report = s.report;
    if (s.request.config)
        s.config = *s.request.config;
    else if (!LoadSyncConfig(s.request.dataFolder, s.config, report.error))
        return false;
    if (!s.status.Load(s.statusPath, report.error)) return false;
    if (!s.originals.Load(s.originalsPath, report.error)) {
        report.error += ", so nothing was synced";
        return false;
    }
    if (!s.eventsFile.Load(report.error) || !s.contactsFile.Load(report.error) ||
        !s.diaryFile.Load(report.error) || !s.notesFile.Load(report.error))
        return false;
    s.loaded = true;
    return true;
}

void SyncSession::FetchFromServer() {
    State& s = *state_;
    SyncReport& report = s.report;
    if (!s.loaded) return;
    HttpOptions options;
    if (!OptionsFor(s.config, s.request.passwordGiven ? &s.request.password : nullptr, options, report.error))
        return;
    options.cancel = s.request.cancel;
    std::unique_ptr<CurlTransport> own;
    HttpTransport* http = s.request.transport;
    if (!http) http = (own = std::make_unique<CurlTransport>(options)).get();
    DavClient dav(*http);

    std::string eventsUrl, contactsUrl, journalsUrl;
    if (!FindCollections(dav, s.config, eventsUrl, contactsUrl, journalsUrl, report.error)) return;
    s.found = true;
    // Each kind in turn; a kind that fails stops the sync, keeping what the
    // server took and what the kinds before it brought down.
    const auto syncFiles = [&](const std::string& url, const std::string& statusKey, SyncKind& kind,
                               std::vector<State::FileOfKind> files, SyncCounts& counts,
                               std::map<std::string, SyncCounts>* parts) {
        std::map<std::string, SyncEntry>& entries = s.status.of(statusKey);
        for (const State::FileOfKind& f : files) {
            const std::string why = s.Untrusted(*f.first, kind, entries);
            if (why.empty()) continue;
            // The other kinds go on: this one's records are not in doubt.
            report.error = report.error.empty() ? why : report.error + "; " + why;
            return true;
        }
        CollectionSync done = SyncCollection(dav, url, kind, entries, s.status.token(statusKey),
                                             s.request.allowMassDelete, s.request.cancel);
        counts = done.counts;
        if (parts) *parts = done.parts;
        report.massDelete = done.massDelete;
        if (!done.ok) {
            report.error = report.error.empty() ? done.error : report.error + "; " + done.error;
            return false;
        }
        s.fetched.push_back(
            {&kind, std::move(files), statusKey, std::move(done.pending), std::move(done.token)});
        return true;
    };
    const auto syncKind = [&](const std::string& url, SyncKind& kind, SyncedFile& file, SyncCounts& counts) {
        return syncFiles(url, url, kind, {{&file, [&kind] { return kind.HasStaged(); }}}, counts, nullptr);
    };
    s.eventKind = std::make_unique<EventSyncKind>(s.events, s.request.now, &s.originals);
    bool synced = syncKind(eventsUrl, *s.eventKind, s.eventsFile, report.events);
    if (synced && !contactsUrl.empty()) {
        s.contactKind = std::make_unique<ContactSyncKind>(s.contacts, s.status.of(contactsUrl), &s.originals,
                                                          s.request.now);
        report.contactsSynced = true;
        synced = syncKind(contactsUrl, *s.contactKind, s.contactsFile, report.contacts);
    }
    if (synced && !journalsUrl.empty()) {
        const std::string key = JournalsStatusKey(journalsUrl);
        s.journalKind = std::make_unique<JournalSyncKind>(s.diary, s.notes, s.status.of(key), s.request.now,
                                                          &s.originals);
        report.journalsSynced = true;
        std::map<std::string, SyncCounts> parts;
        JournalSyncKind* journals = s.journalKind.get();
        syncFiles(journalsUrl, key, *journals,
                  {{&s.diaryFile, [journals] { return journals->PagesStaged(); }},
                   {&s.notesFile, [journals] { return journals->NotesStaged(); }}},
                  report.journals, &parts);
        report.diaryPages = parts["diary pages"];
        report.notes = parts["notes"];
    }
}

void SyncSession::Fetch() {
    // Answers are bounded, but what they ask of memory is not all ours to
    // count: a sync that runs out ends as a failed one, never the program.
    try {
        FetchFromServer();
    } catch (const std::bad_alloc&) {
        state_->fetched.clear();
        state_->report.error = "The sync ran out of memory and was stopped; nothing it brought down was kept";
    }
    // What the server took is kept now, whether or not Apply follows.
    if (state_->found) state_->KeepStatus();
}

void SyncSession::Apply() {
    State& s = *state_;
    SyncReport& report = s.report;
    if (!s.found) return;
    bool stored = true;
    for (State::Fetched& f : s.fetched) {
        if (f.kind->HasStaged()) {
            std::vector<SyncedFile*> changed;
            for (const auto& [file, staged] : f.files)
                if (staged()) changed.push_back(file);
            f.kind->Apply();
            std::string why;
            for (SyncedFile* file : changed) {
                if (!file->Store(s.request.now, why)) {
                    report.error = report.error.empty() ? why : report.error + "; " + why;
                    stored = false;
                    break;
                }
                report.stored.*(file->stored) = true;
                report.dataChanged = true;
            }
            if (!stored) break;
        }
        std::map<std::string, SyncEntry>& entries = s.status.of(f.statusKey);
        CommitPending(f.pending, entries);
        s.status.token(f.statusKey) = f.token;
    }
    s.fetched.clear();
    // The originals of what came down go with the records that hold it.
    const bool originalsChanged = (s.eventKind && s.eventKind->OriginalsChanged()) ||
                                  (s.contactKind && s.contactKind->OriginalsChanged()) ||
                                  (s.journalKind && s.journalKind->OriginalsChanged());
    if (stored && originalsChanged) {
        std::string why;
        if (!s.originals.Save(s.originalsPath, s.request.now, why)) {
            report.error = report.error.empty()
                               ? "The kept originals could not be written: " + why
                               : report.error + "; the kept originals could not be written: " + why;
            stored = false;
        }
    }
    report.ok = stored && report.error.empty();
    s.KeepStatus();
}

bool FindSyncCollections(const SyncConfig& config, const std::string* password, SyncCollections& found,
                         std::string& why) {
    HttpOptions options;
    if (!OptionsFor(config, password, options, why)) return false;
    CurlTransport http(options);
    DavClient dav(http);
    std::vector<DavCollection> all;
    const DavResult r = dav.Discover(config.url, all);
    if (!r.ok()) {
        why = r.error;
        return false;
    }
    for (DavCollection& c : all) {
        if (TakesEvents(c)) found.calendars.push_back(c);
        if (TakesJournals(c)) found.journals.push_back(c);
        if (c.addressBook) found.addressBooks.push_back(c);
    }
    return true;
}

SyncReport SyncDataFolder(const SyncRequest& request) {
    SyncSession session(request);
    if (session.Load()) {
        session.Fetch();
        session.Apply();
    }
    return session.report();
}

}  // namespace veltrin
