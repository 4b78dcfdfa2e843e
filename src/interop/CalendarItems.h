#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "events/EventRecords.h"

namespace veltrin {

// One event as a calendar resource of its own (one VEVENT), as an export of
// that event alone writes it. A UID given replaces the event's own, so an
// item that came from another program keeps the UID it was made with.
std::string EventToICalendar(const EventItem& event, const std::vector<EventGroup>& groups,
                             const std::string& uid, std::int64_t now);

// The first VEVENT of a calendar resource as an import reads it, with its UID
// and its group path (CATEGORIES). The event's group id is not set.
struct ReadEvent {
    bool ok = false;
    EventItem event;
    std::string uid;
    std::string groupPath;
};
ReadEvent ReadOneEvent(const std::string& text, std::int64_t now);

// The event id an item with this UID gets: ours give their own back, any
// other a number of its own, the same on every machine.
std::int32_t EventIdOfUid(const std::string& uid);

// What an event's item carries, in parts that change apart.
enum EventPart : unsigned {
    kEventName = 1u << 0,      // SUMMARY
    kEventComment = 1u << 1,   // DESCRIPTION
    kEventPriority = 1u << 2,  // PRIORITY
    kEventActual = 1u << 3,    // whether its reminder is on
    kEventGroup = 1u << 4,     // the first of CATEGORIES
    kEventSchedule = 1u << 5,  // DTSTART, the rule, its exceptions and moved occurrences
    kEventReminders = 1u << 6  // VALARM, the sound, the message, the file to run
};

// Another program's item with only these parts taken from ours (the whole
// item EventToICalendar writes for the event now); every other property,
// parameter and component stays. DTSTAMP and LAST-MODIFIED become now, and
// SEQUENCE goes up with the schedule. Empty when either cannot be read.
std::string PatchEventItem(const std::string& original, const std::string& ours, unsigned parts,
                           std::int64_t now);

// What a journal's item carries, in parts that change apart.
enum JournalPart : unsigned {
    kJournalTitle = 1u << 0,  // SUMMARY
    kJournalText = 1u << 1,   // DESCRIPTION and the page's HTML
    kJournalParent = 1u << 2  // a note's parent: RELATED-TO of type PARENT
};

// Another program's journal with only these parts taken from ours, as
// PatchEventItem does for events: its date and time, attachments,
// categories, class and everything else stay.
std::string PatchJournalItem(const std::string& original, const std::string& ours, unsigned parts,
                             std::int64_t now);

// Whether a calendar resource holds a component of that name ("VEVENT",
// "VJOURNAL"), without reading the rest of it.
bool CalendarHolds(const std::string& text, const char* component);

}  // namespace veltrin
