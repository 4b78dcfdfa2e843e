#include "sync/SyncRun.h"

#include <sys/stat.h>

#include <cerrno>
#include <memory>

#include "events/EventRecords.h"
#include "storage/Backups.h"
#include "storage/DataFile.h"
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

// The calendar for events: the configured one, or the first the account has
// that takes VEVENTs.
bool EventsCollection(DavClient& dav, const SyncConfig& config, std::string& url, std::string& why) {
    if (!config.eventsCollection.empty()) {
        url = ResolveUrl(config.url, config.eventsCollection);
        return true;
    }
    std::vector<DavCollection> found;
    const DavResult r = dav.Discover(config.url, found);
    if (!r.ok()) {
        why = r.error;
        return false;
    }
    for (const DavCollection& c : found) {
        bool events = c.components.empty();
        for (const std::string& comp : c.components) events = events || comp == "VEVENT";
        if (c.calendar && events) {
            url = c.url;
            return true;
        }
    }
    why = "The server has no calendar for events at " + config.url;
    return false;
}

}  // namespace

std::string SyncReport::Summary() const { return CountsLine("Events", events); }

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

    const std::string eventsPath = request.dataFolder + "/" + kEventsFile.fileName;
    EventStore events;
    std::uint32_t version = SharedVersion();
    const LoadResult loaded = LoadArchiveFile(eventsPath, kEventsFile.signature, version,
                                              [&](Archive& ar) { TransferEventStore(ar, events); });
    if (!loaded.ok() && loaded.status != LoadResult::Status::Missing) {
        report.error = eventsPath + " does not load whole, so nothing was synced";
        return report;
    }

    std::string url;
    if (!EventsCollection(dav, config, url, report.error)) return report;
    EventSyncKind kind(events, request.now);
    std::map<std::string, SyncEntry>& entries = status.of(url);
    const CollectionSync done =
        SyncCollection(dav, url, kind, entries, status.token(url), request.allowMassDelete);
    report.events = done.counts;
    report.massDelete = done.massDelete;
    std::string why;
    const auto keepStatus = [&] {
        if (::mkdir(SyncFolderOf(request.dataFolder).c_str(), 0700) != 0 && errno != EEXIST) return false;
        return status.Save(statusPath, why);
    };
    if (!done.ok) {
        report.error = done.error;
        // What the server already took is kept, so the next sync goes on from there.
        if (!keepStatus()) report.error += "; the sync status could not be written either: " + why;
        return report;
    }
    if (kind.HasStaged()) {
        kind.Apply();
        if (!BackUpBeforeReplace(eventsPath, request.now, why)) {
            report.error = std::string(kEventsFile.fileName) + " could not be backed up (" + why +
                           "), so it was not changed";
            keepStatus();
            return report;
        }
        if (!StoreArchiveFile(
                eventsPath, kEventsFile.signature, version,
                [&](Archive& ar) { TransferEventStore(ar, events); }, &why)) {
            report.error = std::string(kEventsFile.fileName) + " could not be written: " + why;
            keepStatus();
            return report;
        }
        report.dataChanged = true;
    }
    CommitPending(done.pending, entries);
    status.token(url) = done.token;
    if (!keepStatus()) {
        report.error = "The sync status could not be written: " + why;
        return report;
    }
    report.ok = true;
    return report;
}

}  // namespace veltrin
