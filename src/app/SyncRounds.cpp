#include "app/SyncRounds.h"

#include "contacts/ContactRecords.h"
#include "documents/DocumentRecords.h"
#include "events/EventRecords.h"
#include "storage/DataFile.h"

namespace veltrin {

DigestValue DigestOfDiary(DiaryTable& diary) {
    return DigestOfStore(kDiaryFile.signature, SharedVersion(),
                         [&](Archive& ar) { TransferRecords(ar, diary); });
}

DigestValue DigestOfNotes(NoteTable& notes) {
    return DigestOfStore(kNotesFile.signature, SharedVersion(),
                         [&](Archive& ar) { TransferRecords(ar, notes); });
}

DataDigests DigestRecords(AppData& data) {
    const std::uint32_t version = SharedVersion();
    DataDigests d;
    d.diary = DigestOfDiary(data.diary);
    d.notes = DigestOfNotes(data.notes);
    d.events = DigestOfStore(kEventsFile.signature, version,
                             [&](Archive& ar) { TransferEventStore(ar, data.events); });
    d.contacts = DigestOfStore(kContactsFile.signature, version,
                               [&](Archive& ar) { TransferContactStore(ar, data.contacts); });
    return d;
}

SyncStep StepAfterFetch(const DataDigests& stored, const DataDigests& now, int round) {
    if (stored == now) return SyncStep::Apply;
    return round < kSyncRoundsAtMost ? SyncStep::SyncAgain : SyncStep::GiveUp;
}

std::string SyncStateText(const SyncState& state, std::int64_t now) {
    if (state.running) return "Syncing...";
    if (!state.error.empty()) return "Not synced: " + state.error;
    if (state.syncedAt == 0) return "Not synced yet";
    const std::int64_t minutes = (now - state.syncedAt) / 60;
    if (minutes < 1) return "Synced just now";
    if (minutes < 60)
        return "Synced " + std::to_string(minutes) + (minutes == 1 ? " minute ago" : " minutes ago");
    const std::int64_t hours = minutes / 60;
    if (hours < 24) return "Synced " + std::to_string(hours) + (hours == 1 ? " hour ago" : " hours ago");
    const std::int64_t days = hours / 24;
    return "Synced " + std::to_string(days) + (days == 1 ? " day ago" : " days ago");
}

}  // namespace veltrin
