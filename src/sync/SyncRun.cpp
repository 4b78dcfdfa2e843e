#include "sync/SyncRun.h"

#include <sys/stat.h>

#include <cerrno>
#include <functional>
#include <memory>

#include "contacts/ContactRecords.h"
#include "events/EventRecords.h"
#include "storage/Backups.h"
#include "storage/DataFile.h"
#include "sync/ContactSyncKind.h"
#include "sync/EventSyncKind.h"
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

// The calendar for events and the address book: the configured ones, or the
// first the account has (a calendar that takes VEVENTs). An account without
// an address book syncs its events only.
bool FindCollections(DavClient& dav, const SyncConfig& config, std::string& events, std::string& contacts,
                     std::string& why) {
    if (!config.eventsCollection.empty()) events = ResolveUrl(config.url, config.eventsCollection);
    if (!config.contactsCollection.empty()) contacts = ResolveUrl(config.url, config.contactsCollection);
    if (!events.empty() && !contacts.empty()) return true;
    std::vector<DavCollection> found;
    const DavResult r = dav.Discover(config.url, found);
    if (!r.ok()) {
        why = r.error;
        return false;
    }
    for (const DavCollection& c : found) {
        bool takesEvents = c.components.empty();
        for (const std::string& comp : c.components) takesEvents = takesEvents || comp == "VEVENT";
        if (events.empty() && c.calendar && takesEvents) events = c.url;
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
    bool Store(SyncKind& kind, std::int64_t now, std::string& why) {
        kind.Apply();
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
    return CountsLine("Events", events) +
           (contactsSynced ? CountsLine("Contacts", contacts)
                           : std::string("Contacts: not synced, the server has no address book.\n"));
}

std::string SyncStatusPath(const std::string& dataFolder) { return SyncFolderOf(dataFolder) + "/status"; }

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
    if (!eventsFile.Load(report.error) || !contactsFile.Load(report.error)) return report;

    std::string eventsUrl, contactsUrl;
    if (!FindCollections(dav, config, eventsUrl, contactsUrl, report.error)) return report;
    std::string why;
    const auto keepStatus = [&] {
        if (::mkdir(SyncFolderOf(request.dataFolder).c_str(), 0700) != 0 && errno != EEXIST) return false;
        return status.Save(statusPath, why);
    };
    // Each kind in turn, its file changed only once its network part is
    // done; a kind that fails stops the sync, keeping what the server took.
    const auto syncKind = [&](const std::string& url, SyncKind& kind, SyncedFile& file, SyncCounts& counts) {
        std::map<std::string, SyncEntry>& entries = status.of(url);
        const CollectionSync done =
            SyncCollection(dav, url, kind, entries, status.token(url), request.allowMassDelete);
        counts = done.counts;
        report.massDelete = done.massDelete;
        if (!done.ok) {
            report.error = done.error;
            return false;
        }
        if (kind.HasStaged()) {
            if (!file.Store(kind, request.now, report.error)) return false;
            report.dataChanged = true;
        }
        CommitPending(done.pending, entries);
        status.token(url) = done.token;
        return true;
    };
    EventSyncKind eventKind(events, request.now);
    bool synced = syncKind(eventsUrl, eventKind, eventsFile, report.events);
    if (synced && !contactsUrl.empty()) {
        ContactSyncKind contactKind(contacts, status.of(contactsUrl));
        report.contactsSynced = true;
        synced = syncKind(contactsUrl, contactKind, contactsFile, report.contacts);
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
