#include "events/EventRecords.h"

#include "storage/DataFile.h"

namespace veltrin {

void EventGroup::Transfer(Archive& ar) {
    ar.int32(levelStep);
    ar.countedString(name);
    ar.int32(iconIndex);
    ar.int32(bold);
    ar.int32(isCurrent);
    ar.int32(groupId);
}

void EventItem::Transfer(Archive& ar) {
    ar.int32(actual);
    ar.countedString(name);
    ar.int32(iconIndex);
    ar.int32(bold);
    ar.int32(isCurrent);
    ar.int32(priority);
    ar.int32(details.groupId);
    ar.int32(details.eventId);
    ar.countedString(details.comment);
    ar.int32(details.playSound);
    ar.int32(details.showMessage);
    ar.int32(details.runFile);
    ar.countedString(details.filePath);
    EventSchedule& s = details.schedule;
    ar.int32(s.kind);
    ar.time32(s.eventTime);
    ar.int32(s.minutesAfterHour);
    ar.int32(s.dayOfMonth);
    ar.int32(s.annualDay);
    ar.int32(s.annualMonth);
    ar.int32(s.whichDays);
    ar.countedString(s.customDays);
    ar.int32(s.weekday);
    ar.time32(s.nextDue);
    ar.time32(s.lastCheck);
}

void TransferEventStore(Archive& ar, EventStore& store) {
    TransferRecords(ar, store.groups);
    TransferRecords(ar, store.events);
}

bool SerializeEventsFile(EventStore& store, bool save) {
    return SerializeDataFile(save, kEventsFile, [&store](Archive& ar) { TransferEventStore(ar, store); });
}

}  // namespace veltrin
