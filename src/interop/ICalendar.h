#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "documents/DocumentRecords.h"
#include "events/EventRecords.h"
#include "interop/GroupPaths.h"
#include "interop/ImportReport.h"

namespace veltrin {

// The events of the named group and its subgroups (all when empty) as an
// iCalendar text, times in the process zone with its VTIMEZONE.
std::string EventsToICalendar(const EventStore& store, const std::string& group, std::int64_t now);
// The events of the groups with these ids.
std::string EventsToICalendar(const EventStore& store, const std::set<std::int32_t>& groupIds,
                              std::int64_t now);
// Diary pages as dated VJOURNALs, notes as undated ones that keep their tree.
std::string DiaryToICalendar(const DiaryTable& diary, std::int64_t now);
std::string NotesToICalendar(const NoteTable& notes, std::int64_t now);

// The UIDs the export gives: a page's by its day, a note's by its creation
// time and how many notes before it were made in the same second.
std::string DiaryPageUid(std::int32_t date);
std::string NoteUid(std::int32_t created, int sameSecond);

// One page or note as a calendar resource of its own. An empty UID gives a
// page its own; a note's parent is named by its UID (none: top level).
std::string DiaryPageToICalendar(const DiaryPage& page, const std::string& uid, std::int64_t now);
std::string NoteToICalendar(const NoteItem& note, const std::string& uid, const std::string& parentUid,
                            std::int64_t now);

// The first VJOURNAL of a calendar resource as an import reads it: a page
// when it has a date, else a note with its parent's UID.
struct ReadJournal {
    bool ok = false;
    bool dated = false;
    DiaryPage page;
    NoteItem note;
    std::string uid, parentUid;
};
ReadJournal ReadOneJournal(const std::string& text, std::int64_t now);

// What ReadOneJournal reads back from the text DiaryPageToICalendar or
// NoteToICalendar writes, found without writing it: a sync hashes every page
// and note that way. The UIDs are left empty.
ReadJournal JournalAsRead(const DiaryPage& page);
ReadJournal JournalAsRead(const NoteItem& note);

// What an iCalendar file holds, to be merged into what is kept. A null target
// leaves its kind of item out (and unreported). ok is false when the text is
// not an iCalendar at all.
struct CalendarImport {
    bool ok = false;
    ImportReport events, diary, notes;
};

// Merges a calendar's events below the target group, each into the subgroup
// its CATEGORIES path names (made when needed), its dated journals into the
// diary and its undated ones at the end of the notes. Nothing held is
// replaced or removed; an item already there (same UID, or for pages the same
// day) is passed over.
CalendarImport ImportICalendar(const std::string& text, EventStore& events, DiaryTable& diary,
                               NoteTable& notes, const ImportTarget& target, std::int64_t now);
// Below the top-level group of that name.
CalendarImport ImportICalendar(const std::string& text, EventStore& events, DiaryTable& diary,
                               NoteTable& notes, const std::string& group, std::int64_t now);

// The name of the process zone ("Europe/Berlin"); empty when it has none.
std::string ProcessZoneName();

}  // namespace veltrin
