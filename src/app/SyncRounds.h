#pragma once

#include <cstdint>
#include <string>

#include "app/AppData.h"
#include "storage/Digest.h"

namespace veltrin {

// What each data file a sync may change would hold if it were stored now.
struct DataDigests {
    DigestValue diary, notes, events, contacts;
    bool operator==(const DataDigests& o) const {
        return diary == o.diary && notes == o.notes && events == o.events && contacts == o.contacts;
    }
    bool operator!=(const DataDigests& o) const { return !(*this == o); }
};
// data as GatherAll gives it: what the views hold, edits in progress included.
DataDigests DigestRecords(AppData& data);
// What the diary or notes file would hold.
DigestValue DigestOfDiary(DiaryTable& diary);
DigestValue DigestOfNotes(NoteTable& notes);

// The program stores the records, lets the network part of a sync run on
// them beside the window, and then decides by what the views hold now.
enum class SyncStep {
    Apply,      // nothing changed since the store: what came down goes in
    SyncAgain,  // the user changed something: drop what came down, store, sync again
    GiveUp      // changed every time: left for the next sync
};
inline constexpr int kSyncRoundsAtMost = 3;
// round: how many network parts have run for this sync, this one included.
SyncStep StepAfterFetch(const DataDigests& stored, const DataDigests& now, int round);

// The sync's line in its dialog and the tray tip: "Synced 2 minutes ago",
// or what went wrong. syncedAt 0: not synced in this run of the program.
struct SyncState {
    std::int64_t syncedAt = 0;
    std::string error;
    bool running = false;
};
std::string SyncStateText(const SyncState& state, std::int64_t now);

}  // namespace veltrin
