#pragma once

#include <cstdint>
#include <string>

#include "sync/Http.h"
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
    std::int64_t now = 0;
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
    bool dataChanged = false;
    // "Events: 3 sent, 1 brought down, ..." one line a kind.
    std::string Summary() const;
};

// Syncs a data folder with the server its data/sync/config names. The
// network part comes first; the data files change only after it succeeded,
// all at once through the safe store, with the day's backup kept first.
// Whoever calls it holds the folder: no program may store meanwhile.
SyncReport SyncDataFolder(const SyncRequest& request);

std::string SyncStatusPath(const std::string& dataFolder);

// The status of the journals of a calendar: apart from its events', since
// both may share one calendar and each keeps its own entries and token.
std::string JournalsStatusKey(const std::string& calendarUrl);

}  // namespace veltrin
