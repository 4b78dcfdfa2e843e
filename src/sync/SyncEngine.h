#pragma once

#include <atomic>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sync/Dav.h"
#include "sync/SyncKind.h"
#include "sync/SyncStatus.h"

namespace veltrin {

// What a sync did to one collection.
struct SyncCounts {
    int sentUp = 0;       // created or changed on the server
    int broughtDown = 0;  // created or changed here
    int deletedHere = 0;
    int deletedThere = 0;
    int conflicts = 0;  // changed on both sides: both kept
    int restored = 0;   // deleted on one side, changed on the other: brought back
    int failed = 0;     // left for the next sync, see notes
    std::vector<std::string> notes;
};

// The part of a collection's status that may only be written once the
// staged local changes are in the data files: href → entry, or erase.
using PendingStatus = std::vector<std::pair<std::string, std::optional<SyncEntry>>>;

struct CollectionSync {
    bool ok = false;
    bool massDelete = false;  // stopped before anything was changed
    std::string error;
    SyncCounts counts;
    std::map<std::string, SyncCounts> parts;  // of a kind that has parts, without the notes
    PendingStatus pending;
    std::string token;  // to keep once pending is in: empty when the next sync must list everything
};

// The network part of syncing one collection with one kind of record. Server
// changes are made here and written into status as each one succeeds, so a
// sync that fails part-way leaves a status the next sync completes from.
// Local changes are only staged in kind; the caller applies them and then
// adds pending to status.
// token: the sync-collection token status is up to (empty: list everything).
// cancel, when set from another thread, ends it before the next item.
CollectionSync SyncCollection(DavClient& dav, const std::string& collectionUrl, SyncKind& kind,
                              std::map<std::string, SyncEntry>& status, const std::string& token,
                              bool allowMassDelete, const std::atomic<bool>* cancel = nullptr);

// Puts the pending entries into the collection's status.
void CommitPending(const PendingStatus& pending, std::map<std::string, SyncEntry>& status);

}  // namespace veltrin
