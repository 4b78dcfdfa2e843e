#include "interop/CalendarItems.h"

#include <libical/ical.h>

#include <strings.h>

#include <cstring>
#include <memory>

#include "interop/ICalGuard.h"
#include "interop/ICalendar.h"
#include "interop/VCard.h"

namespace veltrin {

namespace {

bool HasX(icalcomponent* c, const char* name) {
    for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_X_PROPERTY))
        if (const char* x = icalproperty_get_x_name(p); x && std::strcmp(x, name) == 0) return true;
    return false;
}

}  // namespace

std::string EventToICalendar(const EventItem& event, const std::vector<EventGroup>& groups,
                             const std::string& uid, std::int64_t now) {
    EventStore one;
    one.groups = groups;
    one.events.push_back(event);
    std::string text = EventsToICalendar(one, std::string(), now);
    if (uid.empty()) return text;
    const std::string own = "\r\nUID:veltrin-event-" + std::to_string(event.details.eventId) + "@veltrin\r\n";
    const std::size_t at = text.find(own);
    if (at != std::string::npos) text.replace(at + 2, own.size() - 2, FoldContentLine("UID:" + uid));
    return text;
}

ReadEvent ReadOneEvent(const std::string& text, std::int64_t now) {
    const ICalGuard guard;
    ReadEvent read;
    EventStore store;
    DiaryTable diary;
    NoteTable notes;
    const CalendarImport imported = ImportICalendar(text, store, diary, notes, "-", now);
    if (!imported.ok || store.events.empty()) return read;
    read.ok = true;
    read.event = store.events.front();
    read.event.details.groupId = 0;
    std::unique_ptr<icalcomponent, decltype(&icalcomponent_free)> root(icalparser_parse_string(text.c_str()),
                                                                       icalcomponent_free);
    icalcomponent* ev = root && icalcomponent_isa(root.get()) == ICAL_VEVENT_COMPONENT ? root.get()
                        : root ? icalcomponent_get_first_component(root.get(), ICAL_VEVENT_COMPONENT)
                               : nullptr;
    if (!ev) return read;
    if (const char* uid = icalcomponent_get_uid(ev)) read.uid = uid;
    // Our own items say exactly whether the reminder is on; an import takes a
    // past one as done, which would change the event on every round trip.
    if (HasX(ev, "X-VELTRIN-SCHEDULE")) read.event.actual = HasX(ev, "X-VELTRIN-ACTUAL") ? 0 : 1;
    if (icalproperty* c = icalcomponent_get_first_property(ev, ICAL_CATEGORIES_PROPERTY))
        if (const char* path = icalproperty_get_categories(c)) read.groupPath = path;
    return read;
}

bool CalendarHolds(const std::string& text, const char* component) {
    const std::string begin = std::string("BEGIN:") + component;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::size_t length = end - at;
        if (length && text[at + length - 1] == '\r') --length;
        if (length == begin.size() && strncasecmp(text.c_str() + at, begin.c_str(), length) == 0) return true;
        at = end + 1;
    }
    return false;
}

}  // namespace veltrin
