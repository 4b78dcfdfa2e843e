#include "documents/DocumentRecords.h"

#include "storage/DataFile.h"

namespace veltrin {

void DiaryPage::Transfer(Archive& ar) {
    ar.countedString(title);
    ar.countedString(html);
    ar.time32(date);
    ar.int32(isCurrent);
}

void NoteItem::Transfer(Archive& ar) {
    ar.int32(levelStep);
    ar.countedString(name);
    ar.int32(iconIndex);
    ar.int32(bold);
    ar.int32(isCurrent);
    ar.int32(collapsed);
    ar.countedString(html);
    ar.time32(created);
}

bool SerializeDiaryFile(DiaryTable& table, bool store) {
    return SerializeDataFile(store, kDiaryFile, [&table](Archive& ar) { TransferRecords(ar, table); });
}

bool SerializeNotesFile(NoteTable& table, bool store) {
    return SerializeDataFile(store, kNotesFile, [&table](Archive& ar) { TransferRecords(ar, table); });
}

}  // namespace veltrin
