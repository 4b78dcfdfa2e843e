#include "sync/EventSyncKind.h"

#include <set>

#include "interop/CalendarItems.h"
#include "interop/GroupOfPath.h"
#include "interop/GroupPaths.h"
#include "storage/Identifier.h"
#include "storage/StoredText.h"
#include "sync/SyncHash.h"

namespace veltrin {

namespace {

const char* const kConflictMark = " (conflict copy)";
// Where an item that names no group goes: the Events view shows an event
// only in its group. Its events go up without a group again.
const char* const kNoGroupPath = "Calendar";

// The group path an event travels with.
std::string TravellingPath(const std::string& path) { return path == kNoGroupPath ? std::string() : path; }

std::string KeyOf(std::int32_t id) { return "event:" + std::to_string(id); }

std::int32_t IdOf(const std::string& key) { return static_cast<std::int32_t>(std::stol(key.substr(6))); }

bool SameRule(const EventSchedule& a, const EventSchedule& b) {
    EventSchedule x = a, y = b;
    x.nextDue = y.nextDue = x.lastCheck = y.lastCheck = 0;
    return x == y;
}

// A text as the calendar item carries it: UTF-8, newlines as LF, without
// the blanks at its end that a content line loses.
std::string Said(const std::string& stored) {
    std::string text;
    const std::string utf8 = StoredTextToUtf8(stored);
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\r') {
            text += '\n';
            if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
        } else {
            text += utf8[i];
        }
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
    return text;
}

// A switch as the item carries it back ("sound=1" found in "sound=<v>").
std::int32_t Switch(std::int32_t v) { return std::to_string(v)[0] == '1'; }

}  // namespace

std::string EventSyncHash(const EventItem& e, const std::string& groupPath) {
    const EventDetails& d = e.details;
    const EventSchedule& s = d.schedule;
    std::string text;
    for (const std::string& part : {Said(e.name), Said(d.comment), groupPath, Said(d.filePath), s.customDays})
        text += std::to_string(part.size()) + ":" + part;
    // What a calendar item brings back of the numbers: a priority out of
    // range reads as 1, any reminder other than off as on.
    const std::int32_t priority = e.priority >= 1 && e.priority <= 10 ? e.priority : 1;
    for (const std::int32_t n :
         {std::int32_t{e.actual != 0}, priority, Switch(d.playSound), Switch(d.showMessage),
          Switch(d.runFile), s.kind, s.eventTime, s.minutesAfterHour, s.dayOfMonth, s.annualDay,
          s.annualMonth, s.whichDays, s.weekday})
        text += ";" + std::to_string(n);
    return HexDigest(text);
}

const EventItem* EventSyncKind::Find(std::int32_t id) const {
    for (const EventItem& e : store_.events)
        if (e.details.eventId == id) return &e;
    return nullptr;
}

std::string EventSyncKind::GroupPathOf(std::int32_t groupId) const {
    const std::vector<std::string> paths = GroupPaths(store_.groups);
    for (std::size_t i = 0; i < store_.groups.size(); ++i)
        if (store_.groups[i].groupId == groupId) return paths[i];
    return {};
}

std::map<std::string, std::string> EventSyncKind::LocalHashes() const {
    const std::vector<std::string> paths = GroupPaths(store_.groups);
    std::map<std::int32_t, std::string> pathOf;
    for (std::size_t i = 0; i < store_.groups.size(); ++i) pathOf.emplace(store_.groups[i].groupId, paths[i]);
    std::map<std::string, std::string> hashes;
    for (const EventItem& e : store_.events) {
        const auto path = pathOf.find(e.details.groupId);
        hashes[KeyOf(e.details.eventId)] =
            EventSyncHash(e, path == pathOf.end() ? std::string() : TravellingPath(path->second));
    }
    return hashes;
}

std::string EventSyncKind::NewName(const std::string& key) const {
    return "veltrin-event-" + std::to_string(IdOf(key)) + ".ics";
}

namespace {

// The parts of an event that differ between two states of it.
unsigned ChangedParts(const EventItem& was, const std::string& wasPath, const EventItem& is,
                      const std::string& isPath) {
    const EventDetails &a = was.details, &b = is.details;
    unsigned parts = 0;
    if (Said(was.name) != Said(is.name)) parts |= kEventName;
    if (Said(a.comment) != Said(b.comment)) parts |= kEventComment;
    if (was.priority != is.priority) parts |= kEventPriority;
    if ((was.actual != 0) != (is.actual != 0)) parts |= kEventActual;
    if (wasPath != isPath) parts |= kEventGroup;
    if (!SameRule(a.schedule, b.schedule)) parts |= kEventSchedule;
    if (Switch(a.playSound) != Switch(b.playSound) || Switch(a.showMessage) != Switch(b.showMessage) ||
        Switch(a.runFile) != Switch(b.runFile) || Said(a.filePath) != Said(b.filePath))
        parts |= kEventReminders;
    return parts;
}

}  // namespace

std::string EventSyncKind::Text(const std::string& key, const std::string& uid) const {
    const EventItem* e = Find(IdOf(key));
    if (!e) return {};
    const std::string path = TravellingPath(GroupPathOf(e->details.groupId));
    EventItem shown = *e;
    if (path.empty()) shown.details.groupId = 0;
    const std::string whole = EventToICalendar(shown, store_.groups, uid, now_);
    // Another program's item goes back as it came, with only what changed here.
    const Original* original = originals_.Find(key);
    if (!original) return whole;
    const ReadEvent was = ReadOneEvent(original->text, original->readAt);
    if (!was.ok) return whole;
    const unsigned parts = ChangedParts(was.event, TravellingPath(was.groupPath), *e, path);
    const std::string patched = PatchEventItem(original->text, whole, parts, now_);
    return patched.empty() ? whole : patched;
}

void EventSyncKind::Sent(const std::string& key, const std::string& text) { originals_.Sent(key, text); }

SyncKind::Staged EventSyncKind::Read(const std::string& text) const {
    const ReadEvent r = ReadOneEvent(text, now_);
    Staged s;
    if (!r.ok) return s;
    s.ok = true;
    s.uid = r.uid;
    s.hash = EventSyncHash(r.event, TravellingPath(r.groupPath));
    return s;
}

SyncKind::Staged EventSyncKind::StageAdd(const std::string& text, bool conflictCopy) {
    ReadEvent r = ReadOneEvent(text, now_);
    Staged s;
    if (!r.ok) return s;
    std::set<std::int32_t> used;
    for (const EventItem& e : store_.events) used.insert(e.details.eventId);
    for (const Change& c : staged_) used.insert(c.id);
    std::int32_t id = r.event.details.eventId;
    while (used.count(id) || id == 0) id = DrawIdentifier();
    r.event.details.eventId = id;
    s.ok = true;
    s.key = KeyOf(id);
    s.uid = r.uid;
    if (conflictCopy) {
        r.event.name += kConflictMark;
        s.uid.clear();  // the copy is an item of its own, with the UID its id gives
        std::vector<EventGroup> groups = store_.groups;
        EventItem shown = r.event;
        shown.details.groupId = GroupOfPath(groups, r.groupPath);
        s.text = EventToICalendar(shown, groups, {}, now_);
    }
    s.hash = EventSyncHash(r.event, TravellingPath(r.groupPath));
    staged_.push_back({Change::Add, id, r.event, r.groupPath});
    if (!conflictCopy) originals_.Keep(s.key, text);
    return s;
}

std::string EventSyncKind::StageReplace(const std::string& key, const std::string& text) {
    ReadEvent r = ReadOneEvent(text, now_);
    const std::int32_t id = IdOf(key);
    if (!r.ok) return {};
    r.event.details.eventId = id;
    staged_.push_back({Change::Replace, id, r.event, r.groupPath});
    originals_.Keep(key, text);
    return EventSyncHash(r.event, TravellingPath(r.groupPath));
}

void EventSyncKind::StageRemove(const std::string& key) {
    staged_.push_back({Change::Remove, IdOf(key), {}, {}});
    originals_.Drop(key);
}

bool EventSyncKind::Holds(const std::string& text) const { return CalendarHolds(text, "VEVENT"); }

std::string EventSyncKind::KeyOfUid(const std::string& uid) const {
    const std::int32_t id = EventIdOfUid(uid);
    return Find(id) ? KeyOf(id) : std::string();
}

void EventSyncKind::Apply() {
    std::vector<Change> changes;
    changes.swap(staged_);
    std::set<std::int32_t> removed;
    for (Change& c : changes) {
        if (c.what == Change::Remove) {
            removed.insert(c.id);
            continue;
        }
        c.event.details.groupId =
            GroupOfPath(store_.groups, c.groupPath.empty() ? kNoGroupPath : c.groupPath);
        if (c.what == Change::Add) {
            store_.events.push_back(std::move(c.event));
            continue;
        }
        for (EventItem& e : store_.events) {
            if (e.details.eventId != c.id) continue;
            // The due bookkeeping stays this machine's while the rule is the same.
            if (SameRule(e.details.schedule, c.event.details.schedule)) {
                c.event.details.schedule.nextDue = e.details.schedule.nextDue;
                c.event.details.schedule.lastCheck = e.details.schedule.lastCheck;
            }
            c.event.iconIndex = e.iconIndex;
            c.event.bold = e.bold;
            c.event.isCurrent = e.isCurrent;
            e = std::move(c.event);
        }
    }
    // Of events deleted here since, nothing is kept.
    originals_.DropUnless(
        [&](const std::string& key) { return !removed.count(IdOf(key)) && Find(IdOf(key)); });
    if (removed.empty()) return;
    std::vector<EventItem> kept;
    for (EventItem& e : store_.events)
        if (!removed.count(e.details.eventId)) kept.push_back(std::move(e));
    store_.events.swap(kept);
}

}  // namespace veltrin
