#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "contacts/ContactTrees.h"
#include "documents/DocumentTrees.h"
#include "events/EventTrees.h"
#include "interop/ICalendar.h"
#include "interop/ImportReport.h"

namespace veltrin {

// Import and export of what the views hold, unsaved rows and edits
// included. Each import gathers the view's records as a save would, merges
// the file into them and puts back only what is new, so nothing a view holds
// is replaced; the view then shows its store again.

// What a file read for an import holds.
enum class InteropText { Calendar, Cards, Neither };
InteropText KindOfInteropText(const std::string& text);

// How many events, journals or cards a text holds: big files get a progress window.
int InteropItemCount(const std::string& text);

// The calendar's events, below the group groupId (the top-level "Imported"
// when none). The store's groups become the tree's with the new groups
// added; the new events are appended to the store, and the rows of the
// lists stay where they are.
CalendarImport ImportEventsIntoViews(const std::string& text, EventStore& store, const EventViews& views,
                                     std::optional<std::int32_t> groupId, std::int64_t now);
// The cards, below the group groupId, likewise.
ImportReport ImportContactsIntoViews(const std::string& text, ContactStore& store, const ContactViews& views,
                                     std::optional<std::int32_t> groupId);
// The calendar's dated journals into the diary, its undated ones into the
// notes: the table is first filled from the view's list or tree, so the
// view is rebuilt from the table afterwards.
ImportReport ImportDiaryIntoView(const std::string& text, DiaryTable& table, const DiaryViews& views,
                                 std::int64_t now);
ImportReport ImportNotesIntoView(const std::string& text, NoteTable& table, const NoteViews& views,
                                 std::int64_t now);

// The group groupId with its subgroups (everything when none), as the views hold them.
std::string EventsFromViews(const EventStore& store, const EventViews& views,
                            std::optional<std::int32_t> groupId, std::int64_t now);
std::string ContactsFromViews(const ContactStore& store, const ContactViews& views,
                              std::optional<std::int32_t> groupId);
DiaryTable DiaryFromView(const DiaryTable& table, const DiaryViews& views);
NoteTable NotesFromView(const NoteTable& table, const NoteViews& views);

// Writes an exported text in place of the file (never half written); why
// says what failed.
bool WriteExportFile(const std::string& path, const std::string& text, std::string& why);
// The notes as a folder tree: one page a note, a folder of the same name for
// its children. Names that repeat among siblings get " (2)", " (3)", ...
bool WriteNoteFolder(const NoteTable& notes, const std::string& folder, std::string& why);

}  // namespace veltrin
