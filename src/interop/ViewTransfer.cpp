#include "interop/ViewTransfer.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <map>
#include <sys/stat.h>

#include "documents/DocumentRules.h"
#include "interop/ContactCards.h"
#include "interop/GroupPaths.h"
#include "storage/SafeFile.h"
#include "storage/StoredText.h"
#include "tree/LevelSteps.h"

namespace veltrin {

namespace {

// Upper-case search over the first megabyte: enough to tell the kinds apart.
bool HoldsWord(const std::string& text, const char* word) {
    const std::size_t n = std::min<std::size_t>(text.size(), 1 << 20);
    return std::search(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), word,
                       word + std::char_traits<char>::length(word), [](char a, char b) {
                           return std::toupper(static_cast<unsigned char>(a)) == b;
                       }) != text.begin() + static_cast<std::ptrdiff_t>(n);
}

ImportTarget TargetOf(std::optional<std::int32_t> groupId) {
    ImportTarget target;
    target.groupId = groupId;
    return target;
}

}  // namespace

InteropText KindOfInteropText(const std::string& text) {
    if (HoldsWord(text, "BEGIN:VCARD")) return InteropText::Cards;
    if (HoldsWord(text, "BEGIN:VCALENDAR")) return InteropText::Calendar;
    return InteropText::Neither;
}

int InteropItemCount(const std::string& text) {
    int n = 0;
    for (const char* begin : {"BEGIN:VEVENT", "BEGIN:VJOURNAL", "BEGIN:VCARD"})
        for (std::size_t at = text.find(begin); at != std::string::npos; at = text.find(begin, at + 1)) ++n;
    return n;
}

CalendarImport ImportEventsIntoViews(const std::string& text, EventStore& store, const EventViews& views,
                                     std::optional<std::int32_t> groupId, std::int64_t now) {
    EventStore gathered = store;
    GatherEvents(gathered, views);
    const std::size_t held = gathered.events.size();
    DiaryTable diary;
    NoteTable notes;
    CalendarImport result = ImportICalendar(text, gathered, diary, notes, TargetOf(groupId), now);
    store.groups = std::move(gathered.groups);
    store.events.insert(store.events.end(), std::make_move_iterator(gathered.events.begin() + held),
                        std::make_move_iterator(gathered.events.end()));
    return result;
}

ImportReport ImportContactsIntoViews(const std::string& text, ContactStore& store, const ContactViews& views,
                                     std::optional<std::int32_t> groupId) {
    ContactStore gathered = store;
    GatherContacts(gathered, views);
    const std::size_t held = gathered.contacts.size();
    const ImportReport report = ImportVCard(gathered, text, TargetOf(groupId));
    store.groups = std::move(gathered.groups);
    store.contacts.insert(store.contacts.end(), std::make_move_iterator(gathered.contacts.begin() + held),
                          std::make_move_iterator(gathered.contacts.end()));
    return report;
}

ImportReport ImportDiaryIntoView(const std::string& text, DiaryTable& table, const DiaryViews& views,
                                 std::int64_t now) {
    if (views.list) FillDiaryTable(*views.list, views.currentPage, table);
    EventStore events;
    NoteTable notes;
    return ImportICalendar(text, events, table, notes, std::string("Imported"), now).diary;
}

ImportReport ImportNotesIntoView(const std::string& text, NoteTable& table, const NoteViews& views,
                                 std::int64_t now) {
    if (views.tree) FillNoteTable(*views.tree, views.currentNote, table);
    EventStore events;
    DiaryTable diary;
    return ImportICalendar(text, events, diary, table, std::string("Imported"), now).notes;
}

std::string EventsFromViews(const EventStore& store, const EventViews& views,
                            std::optional<std::int32_t> groupId, std::int64_t now) {
    EventStore gathered = store;
    GatherEvents(gathered, views);
    if (!groupId) return EventsToICalendar(gathered, std::string(), now);
    return EventsToICalendar(gathered, SubgroupIds(gathered.groups, *groupId), now);
}

std::string ContactsFromViews(const ContactStore& store, const ContactViews& views,
                              std::optional<std::int32_t> groupId) {
    ContactStore gathered = store;
    GatherContacts(gathered, views);
    if (!groupId) return ContactsToVCard(gathered);
    return ContactsToVCard(gathered, SubgroupIds(gathered.groups, *groupId));
}

DiaryTable DiaryFromView(const DiaryTable& table, const DiaryViews& views) {
    DiaryTable gathered = table;
    if (views.list) FillDiaryTable(*views.list, views.currentPage, gathered);
    return gathered;
}

NoteTable NotesFromView(const NoteTable& table, const NoteViews& views) {
    NoteTable gathered = table;
    if (views.tree) FillNoteTable(*views.tree, views.currentNote, gathered);
    return gathered;
}

bool WriteExportFile(const std::string& path, const std::string& text, std::string& why) {
    return ReplaceFileSafely(path, BytesOf(text), &why);
}

bool WriteNoteFolder(const NoteTable& notes, const std::string& folder, std::string& why) {
    std::vector<std::string> folders{folder};
    std::vector<std::map<std::string, int>> taken(1);
    int depth = 0;
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
        why = "the folder " + folder + " could not be made";
        return false;
    }
    for (const NoteItem& n : notes) {
        depth = DepthAfterLevelStep(depth, n.levelStep);
        folders.resize(static_cast<std::size_t>(depth));
        taken.resize(static_cast<std::size_t>(depth));
        std::string name = NoteExportName(StoredTextToUtf8(n.name));
        if (name.empty() || name == "." || name == "..") name = "Note";
        if (const int seen = taken.back()[name]++) name += " (" + std::to_string(seen + 1) + ")";
        const std::string base = folders.back() + "/" + name;
        if (::mkdir(folders.back().c_str(), 0755) != 0 && errno != EEXIST) {
            why = "the folder " + folders.back() + " could not be made";
            return false;
        }
        std::string err;
        if (!WriteExportFile(base + ".html", StoredTextToUtf8(n.html), err)) {
            why = base + ".html could not be written: " + err;
            return false;
        }
        folders.push_back(base);
        taken.emplace_back();
    }
    return true;
}

}  // namespace veltrin
