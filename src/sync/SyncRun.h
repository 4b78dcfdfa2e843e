#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sync/Dav.h"
#include "sync/Http.h"
#include "sync/SyncConfig.h"
#include "sync/SyncEngine.h"

namespace veltrin {

struct SyncRequest {
    std::string dataFolder;
    bool allowMassDelete = false;
    // The password when the caller has it (the program's secret store);
    // otherwise the configuration's password command gives it.
    bool passwordGiven = false;
    std::string password;
    HttpTransport* transport = nullptr;  // null: a CurlTransport from the configuration
    // The configuration when the caller has read it; otherwise Load reads it.
    std::optional<SyncConfig> config;
    std::int64_t now = 0;
    // Record files the caller read in part or not at all ("Events.dat"): their
    // kinds are not synced while the status knows records of them.
    std::vector<std::string> filesNotWhole;
    // Set from another thread to end the network part at once (the program ends).
    const std::atomic<bool>* cancel = nullptr;
};

// The data files a sync stored, so that a program shows exactly those again.
struct StoredFiles {
    bool events = false, contacts = false, diary = false, notes = false;
};

struct SyncReport {
    bool ok = false;
    bool massDelete = false;
    std::string error;
    SyncCounts events, contacts;
    bool contactsSynced = false;  // false when the server has no address book
    // Diary pages and notes share a calendar: each one's counts, and the
    // calendar's own for what neither can claim (an item left, its notes).
    SyncCounts diaryPages, notes, journals;
    bool journalsSynced = false;  // false when the server has no calendar that takes journals
    bool dataChanged = false;     // any file stored
    StoredFiles stored;
    // "Events: 3 sent, 1 brought down, ..." one line a kind.
    std::string Summary() const;
};

// One sync of a data folder in its steps, so that the network part can run
// away from the thread that owns the records. Load reads the configuration,
// the status and the data files; Fetch does the network part (the server's
// side, kept in the status at once); Apply stores what came down into the
// data files and completes the status. A session never applied leaves the
// data files as they were, and the next sync takes up what it brought down.
// Whoever runs it holds the folder: no program may store meanwhile.
class SyncSession {
public:
    explicit SyncSession(const SyncRequest& request);
    ~SyncSession();
    SyncSession(const SyncSession&) = delete;
    SyncSession& operator=(const SyncSession&) = delete;

    // False with report().error when something is missing or does not load.
    bool Load();
    // Talks to the server; may run on another thread than Load and Apply.
    void Fetch();
    // The staged changes into the data files, the day's backup first, each
    // file in one safe store; then the status with them.
    void Apply();
    const SyncReport& report() const;

private:
    void FetchFromServer();
    struct State;
    std::unique_ptr<State> state_;
};

// What the account at config.url offers, for the user to choose from: the
// calendars that take events and the address books. The password given, or
// else the configuration's password command's.
struct SyncCollections {
    std::vector<DavCollection> calendars, addressBooks;
    std::vector<DavCollection> journals;  // calendars that take diary pages and notes
};
bool FindSyncCollections(const SyncConfig& config, const std::string* password, SyncCollections& found,
                         std::string& why);

// Syncs a data folder with the server its data/sync/config names: the
// three steps of a SyncSession in a row.
SyncReport SyncDataFolder(const SyncRequest& request);

std::string SyncStatusPath(const std::string& dataFolder);

// The status of the journals of a calendar: apart from its events', since
// both may share one calendar and each keeps its own entries and token.
std::string JournalsStatusKey(const std::string& calendarUrl);

}  // namespace veltrin
