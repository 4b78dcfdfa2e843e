#include "interop/ICalendar.h"

#include <libical/ical.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string_view>
#include <strings.h>
#include <unistd.h>

#include "base/LocalTime.h"
#include "documents/DocumentRules.h"
#include "events/EventList.h"
#include "events/Schedule.h"
#include "interop/CalendarItems.h"
#include "interop/GroupPaths.h"
#include "interop/HtmlText.h"
#include "interop/ICalGuard.h"
#include "interop/VCard.h"
#include "storage/StoredText.h"

namespace veltrin {

namespace {

using Component = std::unique_ptr<icalcomponent, decltype(&icalcomponent_free)>;

const char* const kUidDomain = "@veltrin";
const char* const kSchedule = "X-VELTRIN-SCHEDULE";
const char* const kPriority = "X-VELTRIN-PRIORITY";
const char* const kActual = "X-VELTRIN-ACTUAL";
const char* const kReminders = "X-VELTRIN-REMINDERS";
const char* const kRunFile = "X-VELTRIN-RUN-FILE";
const char* const kAltDesc = "X-ALT-DESC";

void AddX(icalcomponent* c, const char* name, const std::string& value, icalparameter* param = nullptr) {
    icalproperty* p = icalproperty_new_x(value.c_str());
    icalproperty_set_x_name(p, name);
    if (param) icalproperty_add_parameter(p, param);
    icalcomponent_add_property(c, p);
}

// A component's X- properties, read in one pass: an import asks each event
// for several. The first of a name counts. The texts stay libical's, so
// this holds only while the component does.
class XValues {
public:
    explicit XValues(icalcomponent* c) {
        for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_X_PROPERTY); p;
             p = icalcomponent_get_next_property(c, ICAL_X_PROPERTY)) {
            const char* name = icalproperty_get_x_name(p);
            const char* value = icalproperty_get_x(p);
            if (name) values_.emplace_back(name, value ? value : "");
        }
    }
    bool Has(const char* name) const { return Find(name) != nullptr; }
    std::string Get(const char* name) const {
        const char* v = Find(name);
        return v ? v : std::string();
    }

private:
    const char* Find(const char* name) const {
        for (const auto& [n, v] : values_)
            if (std::strcmp(n, name) == 0) return v;
        return nullptr;
    }
    std::vector<std::pair<const char*, const char*>> values_;
};

std::string Text(const char* s) { return s ? s : ""; }

icaltimezone* ProcessZone() {
    const std::string name = ProcessZoneName();
    return name.empty() ? nullptr : icaltimezone_get_builtin_timezone(name.c_str());
}

icaltimetype Moment(std::int64_t t, icaltimezone* zone) {
    return icaltime_from_timet_with_zone(static_cast<time_t>(t), 0,
                                         zone ? zone : icaltimezone_get_utc_timezone());
}

Component NewCalendar(icaltimezone* zone) {
    Component cal(icalcomponent_new(ICAL_VCALENDAR_COMPONENT), icalcomponent_free);
    icalcomponent_add_property(cal.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(cal.get(), icalproperty_new_prodid("-//Veltrin//Veltrin//EN"));
    if (zone) {
        // Under its plain name ("Europe/Berlin"), which every reader knows.
        icalcomponent* definition = icalcomponent_new_clone(icaltimezone_get_component(zone));
        if (icalproperty* tzid = icalcomponent_get_first_property(definition, ICAL_TZID_PROPERTY))
            icalproperty_set_tzid(tzid, icaltimezone_get_location(zone));
        icalcomponent_add_component(cal.get(), definition);
    }
    return cal;
}

// libical writes an X- property's value as it stands but for backslashes and
// line breaks. Bare commas and semicolons read as lists elsewhere (a server
// cut a page's HTML at its first comma), so they are escaped here, as a TEXT
// value wants them; libical reads them back either way.
// Only the X- properties whose name starts with `only` when given: another
// program's own are left as it wrote them.
void EscapeXTextValues(std::string& text, const char* only = "X-") {
    const std::string head = std::string("\r\n") + only;
    std::string out;
    std::size_t copied = 0;
    for (std::size_t from = 0; (from = text.find(head, from)) != std::string::npos;) {
        const std::size_t start = from + 2;
        std::size_t end = text.find("\r\n", start);
        while (end != std::string::npos && end + 2 < text.size() &&
               (text[end + 2] == ' ' || text[end + 2] == '\t'))
            end = text.find("\r\n", end + 2);
        if (end == std::string::npos) break;
        from = end;
        std::string line;
        for (std::size_t i = start; i < end; ++i) {
            if (text.compare(i, 2, "\r\n") == 0) {
                i += 2;  // and the blank that folds
                continue;
            }
            line += text[i];
        }
        bool quoted = false;
        std::size_t colon = 0;
        while (colon < line.size() && (line[colon] != ':' || quoted)) quoted ^= line[colon++] == '"';
        if (line.find_first_of(",;", colon) == std::string::npos) continue;
        std::string escaped = line.substr(0, colon);
        std::size_t backslashes = 0;
        for (std::size_t i = colon; i < line.size(); ++i) {
            const char c = line[i];
            if ((c == ',' || c == ';') && backslashes % 2 == 0) escaped += '\\';
            backslashes = c == '\\' ? backslashes + 1 : 0;
            escaped += c;
        }
        out.append(text, copied, start - copied);
        AppendFoldedLine(out, escaped);
        copied = end + 2;
    }
    if (copied == 0) return;
    out.append(text, copied, std::string::npos);
    text = std::move(out);
}

std::string ComponentText(icalcomponent* c) {
    char* text = icalcomponent_as_ical_string_r(c);
    std::string out = text ? text : "";
    std::free(text);
    EscapeXTextValues(out);
    return out;
}

std::string Finish(const Component& cal) { return ComponentText(cal.get()); }

// A calendar written a component at a time: serializing and freeing one
// tree of thousands of components costs libical several times more.
class CalendarText {
public:
    explicit CalendarText(icaltimezone* zone) : text_(Finish(NewCalendar(zone))) {
        // The calendar's head and its zone; the components go before its end.
        if (text_.size() >= kEnd.size() && text_.compare(text_.size() - kEnd.size(), kEnd.size(), kEnd) == 0)
            text_.resize(text_.size() - kEnd.size());
    }
    // Takes the component.
    void Add(icalcomponent* c) {
        text_ += ComponentText(c);
        icalcomponent_free(c);
    }
    std::string Done() { return std::move(text_ += kEnd); }

private:
    static inline const std::string kEnd = "END:VCALENDAR\r\n";
    std::string text_;
};

// Bytes outside letters and digits as %XX, so any stored day set survives.
std::string Percent(const std::string& s) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (std::isalnum(c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string Unpercent(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            out += static_cast<char>(std::strtol(s.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

// The schedule exactly as kept, for a round trip that RRULE cannot carry.
std::string ScheduleText(const EventSchedule& s) {
    return "kind=" + std::to_string(s.kind) + ";time=" + std::to_string(s.eventTime) +
           ";minute=" + std::to_string(s.minutesAfterHour) + ";monthday=" + std::to_string(s.dayOfMonth) +
           ";annualday=" + std::to_string(s.annualDay) + ";annualmonth=" + std::to_string(s.annualMonth) +
           ";which=" + std::to_string(s.whichDays) + ";days=" + Percent(s.customDays) +
           ";weekday=" + std::to_string(s.weekday) + ";next=" + std::to_string(s.nextDue) +
           ";check=" + std::to_string(s.lastCheck);
}

bool ReadScheduleText(const std::string& text, EventSchedule& s) {
    static const char* const kNames[] = {"kind",  "time",    "minute", "monthday", "annualday", "annualmonth",
                                         "which", "weekday", "next",   "check",    "days"};
    constexpr std::size_t kDays = 10;
    // The last value of each name counts; other names are passed over.
    std::string values[std::size(kNames)];
    bool found[std::size(kNames)] = {};
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        const std::string_view part(text.data() + start, end - start);
        const std::size_t eq = part.find('=');
        if (eq != std::string_view::npos) {
            for (std::size_t i = 0; i < std::size(kNames); ++i) {
                if (part.substr(0, eq) != kNames[i]) continue;
                values[i].assign(part.substr(eq + 1));
                found[i] = true;
                break;
            }
        }
        start = end + 1;
    }
    EventSchedule read = s;
    std::int32_t* const readTargets[] = {
        &read.kind,        &read.eventTime, &read.minutesAfterHour, &read.dayOfMonth, &read.annualDay,
        &read.annualMonth, &read.whichDays, &read.weekday,          &read.nextDue,    &read.lastCheck};
    for (std::size_t i = 0; i < kDays; ++i) {
        if (!found[i] || values[i].empty()) return false;
        char* end = nullptr;
        const long long v = std::strtoll(values[i].c_str(), &end, 10);
        if (*end || v < INT32_MIN || v > INT32_MAX) return false;
        *readTargets[i] = static_cast<std::int32_t>(v);
    }
    read.customDays = Unpercent(values[kDays]);
    s = read;
    return true;
}

const char* const kDayCodes[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};

// The rule other programs read; the exact schedule travels beside it.
std::string RuleOf(const EventSchedule& s) {
    switch (s.kind) {
    case Hourly: return "FREQ=HOURLY;BYMINUTE=" + std::to_string(s.minutesAfterHour);
    case Daily: {
        const std::string set = DaySet(s);
        std::string days;
        for (char d = '1'; d <= '7'; ++d)
            if (set.find(d) != std::string::npos)
                days += (days.empty() ? "" : ",") + std::string(kDayCodes[d - '1']);
        return days.size() == 20 || days.empty() ? "FREQ=DAILY" : "FREQ=DAILY;BYDAY=" + days;
    }
    case Weekly:
        return s.weekday >= 1 && s.weekday <= 7 ? "FREQ=WEEKLY;BYDAY=" + std::string(kDayCodes[s.weekday - 1])
                                                : "FREQ=WEEKLY";
    case Monthly: return "FREQ=MONTHLY;BYMONTHDAY=" + std::to_string(s.dayOfMonth);
    case Annually:
        return "FREQ=YEARLY;BYMONTH=" + std::to_string(s.annualMonth + 1) +
               ";BYMONTHDAY=" + std::to_string(s.annualDay);
    default: return {};
    }
}

std::string EventUid(std::int32_t id) { return "veltrin-event-" + std::to_string(id) + kUidDomain; }

// A page is kept at midnight of its day in the zone it was written in.
// Seen from another zone (travel) that moment is a whole quarter hour some
// hours before or after midnight here: the page's day is the one whose
// midnight is nearest, so that no change of zone moves a page on the server.
// Any other moment is on its own day.
DateTime PageDay(std::int64_t date) {
    const DateTime at = BreakDownLocal(date);
    const bool elsewhereMidnight = at.hour != 0 && at.minute % 15 == 0 && at.second == 0;
    return elsewhereMidnight && at.hour >= 12 ? BreakDownLocal(date + 86400) : at;
}

icalcomponent* EventComponent(const EventItem& e, const std::string& groupPath, icaltimezone* zone,
                              std::int64_t now) {
    const EventDetails& d = e.details;
    icalcomponent* ev = icalcomponent_new_vevent();
    icalcomponent_set_uid(ev, EventUid(d.eventId).c_str());
    icalcomponent_set_dtstamp(ev, Moment(now, nullptr));
    icalcomponent_set_summary(ev, StoredTextToUtf8(e.name).c_str());
    if (!d.comment.empty()) icalcomponent_set_description(ev, StoredTextToUtf8(d.comment).c_str());
    // A repeating event starts at its first occurrence from the time it was set for.
    const std::int64_t start = d.schedule.kind == Once
                                   ? d.schedule.eventTime
                                   : NextOccurrence(d.schedule, std::int64_t{d.schedule.eventTime} - 2);
    // Written by hand: the time as the zone's wall clock, with the zone's plain name.
    icaltimetype wall = Moment(start, zone);
    if (zone) wall.zone = nullptr;  // without a named zone the time stays in UTC
    icalproperty* dtstart = icalproperty_new_dtstart(wall);
    if (zone) icalproperty_add_parameter(dtstart, icalparameter_new_tzid(icaltimezone_get_location(zone)));
    icalcomponent_add_property(ev, dtstart);
    // 1 (low) .. 10 (high) here, 9 (low) .. 1 (high) there.
    const int priority = std::clamp(10 - e.priority, 1, 9);
    icalcomponent_add_property(ev, icalproperty_new_priority(priority));
    if (10 - priority != e.priority) AddX(ev, kPriority, std::to_string(e.priority));
    if (!e.actual) AddX(ev, kActual, "0");
    if (!groupPath.empty()) icalcomponent_add_property(ev, icalproperty_new_categories(groupPath.c_str()));
    const std::string rule = RuleOf(d.schedule);
    if (!rule.empty()) {
        icalcomponent_add_property(ev, icalproperty_new_rrule(icalrecurrencetype_from_string(rule.c_str())));
    }
    AddX(ev, kSchedule, ScheduleText(d.schedule));
    if (d.playSound || d.showMessage) {
        icalcomponent* alarm = icalcomponent_new_valarm();
        icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
        icalcomponent_add_property(alarm, icalproperty_new_trigger(icaltriggertype_from_int(0)));
        icalcomponent_add_property(alarm, icalproperty_new_description(StoredTextToUtf8(e.name).c_str()));
        icalcomponent_add_component(ev, alarm);
    }
    AddX(ev, kReminders,
         std::string("sound=") + std::to_string(d.playSound) + ";message=" + std::to_string(d.showMessage) +
             ";file=" + std::to_string(d.runFile));
    if (!d.filePath.empty()) AddX(ev, kRunFile, StoredTextToUtf8(d.filePath));
    return ev;
}

}  // namespace

std::string ProcessZoneName() {
    std::string tz;
    if (const char* env = std::getenv("TZ")) tz = env;
    if (!tz.empty() && tz[0] == ':') tz = tz.substr(1);
    if (tz.empty() || tz[0] == '/') {
        // A path: the zone's name is what follows the zoneinfo folder.
        const std::string path = tz.empty() ? "/etc/localtime" : tz;
        char* real = ::realpath(path.c_str(), nullptr);
        tz = real ? real : "";
        std::free(real);
        const std::size_t at = tz.find("zoneinfo/");
        tz = at == std::string::npos ? std::string() : tz.substr(at + 9);
        if (tz.compare(0, 6, "posix/") == 0) tz = tz.substr(6);
    }
    return tz;
}

namespace {

std::string EventsOf(const EventStore& store, const std::set<std::int32_t>* groupIds, std::int64_t now) {
    icaltimezone* zone = ProcessZone();
    CalendarText cal(zone);
    const std::map<std::int32_t, std::string> paths = GroupPathsById(store.groups);
    static const std::string kNoPath;
    for (const EventItem& e : store.events) {
        if (groupIds && !groupIds->count(e.details.groupId)) continue;
        const auto path = paths.find(e.details.groupId);
        cal.Add(EventComponent(e, path == paths.end() ? kNoPath : path->second, zone, now));
    }
    return cal.Done();
}

}  // namespace

std::string EventsToICalendar(const EventStore& store, const std::string& group, std::int64_t now) {
    const ICalGuard guard;
    if (group.empty()) return EventsOf(store, nullptr, now);
    const std::set<std::int32_t> ids = GroupWithSubgroups(store.groups, group);
    return EventsOf(store, &ids, now);
}

std::string EventsToICalendar(const EventStore& store, const std::set<std::int32_t>& groupIds,
                              std::int64_t now) {
    const ICalGuard guard;
    return EventsOf(store, &groupIds, now);
}

namespace {

icalcomponent* Journal(const std::string& uid, const std::string& title, const std::string& html,
                       std::int64_t now) {
    icalcomponent* j = icalcomponent_new_vjournal();
    icalcomponent_set_uid(j, uid.c_str());
    icalcomponent_set_dtstamp(j, Moment(now, nullptr));
    icalcomponent_set_summary(j, StoredTextToUtf8(title).c_str());
    const std::string page = StoredTextToUtf8(html);
    icalcomponent_set_description(j, PlainTextOfHtml(page).c_str());
    AddX(j, kAltDesc, page, icalparameter_new_fmttype("text/html"));
    return j;
}

std::string DateDigits(std::int32_t date) {
    const DateTime day = PageDay(date);
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04lld%02d%02d", static_cast<long long>(day.year), day.month,
                  day.day);
    return digits;
}

icalcomponent* PageJournal(const DiaryPage& p, const std::string& uid, std::int64_t now) {
    const std::string date = DateDigits(p.date);
    icalcomponent* j = Journal(uid.empty() ? DiaryPageUid(p.date) : uid, p.title, p.html, now);
    icalcomponent_set_dtstart(j, icaltime_from_string(date.c_str()));
    return j;
}

icalcomponent* NoteJournal(const NoteItem& n, const std::string& uid, const std::string& parentUid,
                           std::int64_t now) {
    icalcomponent* j = Journal(uid, n.name, n.html, now);
    icalcomponent_add_property(j, icalproperty_new_created(Moment(n.created, nullptr)));
    if (!parentUid.empty()) {
        icalproperty* rel = icalproperty_new_relatedto(parentUid.c_str());
        icalproperty_add_parameter(rel, icalparameter_new_reltype(ICAL_RELTYPE_PARENT));
        icalcomponent_add_property(j, rel);
    }
    return j;
}

std::string OneJournal(icalcomponent* j) {
    CalendarText cal(nullptr);
    cal.Add(j);
    return cal.Done();
}

}  // namespace

std::string DiaryPageUid(std::int32_t date) { return "veltrin-diary-" + DateDigits(date) + kUidDomain; }

std::string NoteUid(std::int32_t created, int sameSecond) {
    return "veltrin-note-" + std::to_string(created) +
           (sameSecond ? "-" + std::to_string(sameSecond) : std::string()) + kUidDomain;
}

std::string DiaryToICalendar(const DiaryTable& diary, std::int64_t now) {
    const ICalGuard guard;
    CalendarText cal(nullptr);
    for (const DiaryPage& p : diary) cal.Add(PageJournal(p, {}, now));
    return cal.Done();
}

// A note's UID: its creation time, and a count among notes created in the same second.
std::string NotesToICalendar(const NoteTable& notes, std::int64_t now) {
    const ICalGuard guard;
    CalendarText cal(nullptr);
    std::map<std::int32_t, int> sameSecond;
    std::vector<std::string> parents;  // parents[d - 1]: the last note's UID at depth d
    int depth = 0;
    for (const NoteItem& n : notes) {
        depth = DepthAfterLevelStep(depth, n.levelStep);
        const std::string uid = NoteUid(n.created, sameSecond[n.created]++);
        parents.resize(static_cast<std::size_t>(depth - 1));
        cal.Add(NoteJournal(n, uid, parents.empty() ? std::string() : parents.back(), now));
        parents.push_back(uid);
    }
    return cal.Done();
}

std::string DiaryPageToICalendar(const DiaryPage& page, const std::string& uid, std::int64_t now) {
    const ICalGuard guard;
    return OneJournal(PageJournal(page, uid, now));
}

std::string NoteToICalendar(const NoteItem& note, const std::string& uid, const std::string& parentUid,
                            std::int64_t now) {
    const ICalGuard guard;
    return OneJournal(NoteJournal(note, uid, parentUid, now));
}

namespace {

// A time as kept here: zoned and UTC times as they are, floating ones and
// dates in the process zone.
std::int64_t LocalMoment(const icaltimetype& t) {
    if (t.is_date || (!t.zone && !icaltime_is_utc(t)))
        return MakeLocalTime(t.year, t.month, t.day, t.hour, t.minute, t.second).value_or(0);
    return static_cast<std::int64_t>(icaltime_as_timet_with_zone(t, t.zone));
}

std::int32_t IdOfUid(const std::string& uid) {
    const std::string prefix = "veltrin-event-";
    const std::size_t at = uid.find(kUidDomain);
    if (uid.compare(0, prefix.size(), prefix) == 0 && at != std::string::npos &&
        at + std::string(kUidDomain).size() == uid.size()) {
        char* end = nullptr;
        const long long v = std::strtoll(uid.c_str() + prefix.size(), &end, 10);
        if (end == uid.c_str() + at && v >= INT32_MIN && v <= INT32_MAX) return static_cast<std::int32_t>(v);
    }
    // Any other UID gives a number of its own (FNV-1a), the same on each import.
    std::uint32_t h = 2166136261u;
    for (unsigned char c : uid) h = (h ^ c) * 16777619u;
    return static_cast<std::int32_t>(h % 999999900u + 100);
}

bool OnlyEnd(const short* values) { return values[0] == ICAL_RECURRENCE_ARRAY_MAX; }
int Count(const short* values, int size) {
    int n = 0;
    while (n < size && values[n] != ICAL_RECURRENCE_ARRAY_MAX) ++n;
    return n;
}

// The schedule kind a rule fits, filled in; false when it fits none.
bool FitRule(const icalrecurrencetype& r, const DateTime& at, EventSchedule& s) {
    if (r.count || !icaltime_is_null_time(r.until) || r.interval > 1 || !OnlyEnd(r.by_set_pos) ||
        !OnlyEnd(r.by_second) || !OnlyEnd(r.by_hour) || !OnlyEnd(r.by_year_day) || !OnlyEnd(r.by_week_no))
        return false;
    const int minutes = Count(r.by_minute, ICAL_BY_MINUTE_SIZE), days = Count(r.by_day, ICAL_BY_DAY_SIZE),
              monthDays = Count(r.by_month_day, ICAL_BY_MONTHDAY_SIZE),
              months = Count(r.by_month, ICAL_BY_MONTH_SIZE);
    std::string set;
    for (int i = 0; i < days; ++i) {
        if (icalrecurrencetype_day_position(r.by_day[i]) != 0) return false;
        set += static_cast<char>('0' + icalrecurrencetype_day_day_of_week(r.by_day[i]));
    }
    switch (r.freq) {
    case ICAL_HOURLY_RECURRENCE:
        if (minutes > 1 || days || monthDays || months) return false;
        s.kind = Hourly;
        s.minutesAfterHour = minutes ? r.by_minute[0] : at.minute;
        return true;
    case ICAL_DAILY_RECURRENCE:
    case ICAL_WEEKLY_RECURRENCE:
        if (minutes || monthDays || months) return false;
        if (r.freq == ICAL_WEEKLY_RECURRENCE && days <= 1) {
            s.kind = Weekly;
            s.weekday = days ? set[0] - '0' : at.weekday + 1;
            return true;
        }
        s.kind = Daily;
        s.whichDays = days == 0 ? AllDays : CustomDays;
        s.customDays = set;
        if (days && std::string(DaySet(EventSchedule{})).size() == set.size()) s.whichDays = AllDays;
        if (s.whichDays == AllDays) s.customDays.clear();
        return true;
    case ICAL_MONTHLY_RECURRENCE:
        if (minutes || days || months || monthDays > 1 || (monthDays && r.by_month_day[0] < 1)) return false;
        s.kind = Monthly;
        s.dayOfMonth = monthDays ? r.by_month_day[0] : at.day;
        return true;
    case ICAL_YEARLY_RECURRENCE:
        if (minutes || days || monthDays > 1 || months > 1 || (monthDays && r.by_month_day[0] < 1))
            return false;
        s.kind = Annually;
        s.annualDay = monthDays ? r.by_month_day[0] : at.day;
        s.annualMonth = (months ? r.by_month[0] : at.month) - 1;
        return true;
    default: return false;
    }
}

// The first occurrence of a rule after now, or its last one when it has ended.
std::int64_t NextOfRule(const icalrecurrencetype& r, const icaltimetype& start, std::int64_t now) {
    icalrecur_iterator* it = icalrecur_iterator_new(r, start);
    std::int64_t last = LocalMoment(start);
    if (!it) return last;
    // Enough for a minutely rule over a long stretch, and an end for any rule.
    for (int i = 0; i < 1'000'000; ++i) {
        icaltimetype t = icalrecur_iterator_next(it);
        if (icaltime_is_null_time(t)) break;
        t.zone = start.zone;
        last = LocalMoment(t);
        if (last > now) break;
    }
    icalrecur_iterator_free(it);
    return last;
}

// Whether our copy of the schedule still says what DTSTART and RRULE say,
// as this program wrote them: another program that edits the event changes
// those and leaves our copy as it was.
bool ScheduleAgrees(const EventSchedule& s, std::int64_t start, icalproperty* rule) {
    const std::int64_t first =
        s.kind == Once ? s.eventTime : NextOccurrence(s, std::int64_t{s.eventTime} - 2);
    if (first != start) return false;
    const std::string ours = RuleOf(s);
    if (!rule) return ours.empty();
    if (ours.empty()) return false;
    icalrecurrencetype theirs = icalproperty_get_rrule(rule);
    icalrecurrencetype mine = icalrecurrencetype_from_string(ours.c_str());
    return Text(icalrecurrencetype_as_string(&theirs)) == Text(icalrecurrencetype_as_string(&mine));
}

// The group path an event came from: its first category.
std::string CategoryPath(icalcomponent* ev) {
    icalproperty* p = icalcomponent_get_first_property(ev, ICAL_CATEGORIES_PROPERTY);
    std::string path = p ? Text(icalproperty_get_categories(p)) : std::string();
    return path.substr(0, path.find(','));
}

void ImportEvent(icalcomponent* ev, EventStore& store, std::set<std::int32_t>& ids,
                 ImportGroups<EventGroup>& groups, ImportReport& report, std::int64_t now) {
    const icaltimetype start = icalcomponent_get_dtstart(ev);
    const std::string uid = Text(icalcomponent_get_uid(ev));
    if (icaltime_is_null_time(start)) {
        ++report.skipped;
        return;
    }
    const std::int32_t id = uid.empty() ? DrawIdentifier() : IdOfUid(uid);
    if (ids.count(id)) {
        ++report.alreadyThere;
        return;
    }
    EventItem e;
    e.name = Text(icalcomponent_get_summary(ev));
    e.details.eventId = id;
    e.details.comment = Text(icalcomponent_get_description(ev));
    EventSchedule& s = e.details.schedule;
    const std::int64_t at = LocalMoment(start);
    s.eventTime = ClampToTime32(at);
    const XValues x(ev);
    bool exact = false;
    icalproperty* rule = icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY);
    if (x.Has(kSchedule)) {
        exact = ReadScheduleText(x.Get(kSchedule), s) && ScheduleAgrees(s, at, rule);
        if (!exact) {
            // Another program moved the time or changed the rule: its word counts.
            s = EventSchedule{};
            s.eventTime = ClampToTime32(at);
        }
    }
    if (!exact && rule) {
        const icalrecurrencetype r = icalproperty_get_rrule(rule);
        const bool exceptions = icalcomponent_get_first_property(ev, ICAL_EXDATE_PROPERTY) ||
                                icalcomponent_get_first_property(ev, ICAL_RDATE_PROPERTY) ||
                                icalcomponent_count_properties(ev, ICAL_RRULE_PROPERTY) > 1;
        if (start.is_date || exceptions || !FitRule(r, BreakDownLocal(at), s)) {
            s = EventSchedule{};
            s.eventTime = ClampToTime32(NextOfRule(r, start, now));
            e.details.comment += std::string(e.details.comment.empty() ? "" : "\n") + "RRULE:" +
                                 Text(icalrecurrencetype_as_string(const_cast<icalrecurrencetype*>(&r)));
            ++report.changedKind;
        }
    }
    const std::string priority = x.Get(kPriority);
    const int theirs =
        icalcomponent_get_first_property(ev, ICAL_PRIORITY_PROPERTY)
            ? icalproperty_get_priority(icalcomponent_get_first_property(ev, ICAL_PRIORITY_PROPERTY))
            : 0;
    e.priority = !priority.empty()            ? std::atoi(priority.c_str())
                 : theirs >= 1 && theirs <= 9 ? 10 - theirs
                                              : 1;
    if (e.priority < 1 || e.priority > 10) e.priority = 1;
    const std::string reminders = x.Get(kReminders);
    if (!reminders.empty()) {
        e.details.playSound = reminders.find("sound=1") != std::string::npos;
        e.details.showMessage = reminders.find("message=1") != std::string::npos;
        e.details.runFile = reminders.find("file=1") != std::string::npos;
    } else {
        e.details.showMessage = icalcomponent_get_first_component(ev, ICAL_VALARM_COMPONENT) != nullptr;
    }
    e.details.filePath = x.Get(kRunFile);
    if (!exact) ResetDueTracking(s, now);
    // A past appointment stays, with its reminder off.
    e.actual = x.Get(kActual) == "0" || (s.kind == Once && s.eventTime <= now) ? 0 : 1;
    e.details.groupId = groups.For(CategoryPath(ev));
    ids.insert(id);
    store.events.push_back(std::move(e));
    ++report.added;
}

// A journal's text as a page; an empty text gives an empty page.
std::string PageOf(const std::string& text) { return text.empty() ? text : HtmlOfPlainText(text); }

// A plain text as edits see it: readers drop the blanks around a value, and
// some write line ends as CR LF.
std::string EditedText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r') out += c;
    const std::size_t first = out.find_first_not_of(" \t\n");
    if (first == std::string::npos) return std::string();
    return out.substr(first, out.find_last_not_of(" \t\n") + 1 - first);
}

// The page a journal carries: its HTML while the plain text beside it still
// says the same, else the plain text, which another program has edited.
std::string HtmlOfJournal(icalcomponent* j) {
    const XValues x(j);
    const std::string text = Text(icalcomponent_get_description(j));
    if (x.Has(kAltDesc)) {
        std::string html = x.Get(kAltDesc);
        if (!icalcomponent_get_first_property(j, ICAL_DESCRIPTION_PROPERTY) ||
            EditedText(PlainTextOfHtml(html)) == EditedText(text))
            return html;
    }
    return PageOf(text);
}

// A dated journal as a page; false when its day is out of range.
bool PageOfJournal(icalcomponent* j, const icaltimetype& start, DiaryPage& page) {
    const std::optional<std::int64_t> midnight = MakeLocalTime(start.year, start.month, start.day, 0, 0, 0);
    if (!midnight) return false;
    page.date = ClampToTime32(*midnight);
    page.title = Text(icalcomponent_get_summary(j));
    if (page.title.empty()) page.title = DiaryTitle(page.date);
    page.html = HtmlOfJournal(j);
    return true;
}

void ImportDiaryPage(icalcomponent* j, const icaltimetype& start, DiaryTable& diary, ImportReport& report) {
    DiaryPage page;
    if (!PageOfJournal(j, start, page)) {
        ++report.skipped;
        return;
    }
    auto place = diary.begin();
    while (place != diary.end() && place->date < page.date) ++place;
    if (place != diary.end() && place->date == page.date) {
        ++report.alreadyThere;
        return;
    }
    diary.insert(place, std::move(page));
    ++report.added;
}

struct ReadNote {
    std::string uid, parent;
    NoteItem note;
};

// An undated journal as a note, with its UID and its parent's.
ReadNote NoteOfJournal(icalcomponent* c, std::int64_t now) {
    ReadNote r;
    r.uid = Text(icalcomponent_get_uid(c));
    r.note.name = Text(icalcomponent_get_summary(c));
    r.note.html = HtmlOfJournal(c);
    icalproperty* created = icalcomponent_get_first_property(c, ICAL_CREATED_PROPERTY);
    const icaltimetype when = created ? icalproperty_get_created(created) : icalcomponent_get_dtstamp(c);
    r.note.created = icaltime_is_null_time(when) ? ClampToTime32(now) : ClampToTime32(LocalMoment(when));
    for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_RELATEDTO_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_RELATEDTO_PROPERTY)) {
        icalparameter* type = icalproperty_get_first_parameter(p, ICAL_RELTYPE_PARAMETER);
        if (!type || icalparameter_get_reltype(type) == ICAL_RELTYPE_PARENT)
            r.parent = Text(icalproperty_get_relatedto(p));
    }
    return r;
}

// Appends the new notes at the top level, each under its parent when the
// parent came in the same file.
void ImportNotes(std::vector<ReadNote> read, NoteTable& notes, ImportReport& report) {
    std::set<std::pair<std::string, std::int32_t>> known;
    for (const NoteItem& n : notes) known.insert({n.name, n.created});
    std::vector<ReadNote> fresh;
    for (ReadNote& r : read) {
        if (!known.insert({r.note.name, r.note.created}).second) {
            ++report.alreadyThere;
        } else {
            fresh.push_back(std::move(r));
            ++report.added;
        }
    }
    std::map<std::string, std::vector<std::size_t>> children;
    std::set<std::string> uids;
    for (const ReadNote& r : fresh) uids.insert(r.uid);
    std::vector<std::size_t> roots;
    for (std::size_t i = 0; i < fresh.size(); ++i) {
        if (!fresh[i].parent.empty() && fresh[i].parent != fresh[i].uid && uids.count(fresh[i].parent))
            children[fresh[i].parent].push_back(i);
        else
            roots.push_back(i);
    }
    int depth = 0;
    for (const NoteItem& n : notes) depth = DepthAfterLevelStep(depth, n.levelStep);
    std::set<std::size_t> placed;  // a loop of parents places each note once
    const auto place = [&](auto& self, std::size_t i, int at) -> void {
        if (!placed.insert(i).second) return;
        NoteItem n = fresh[i].note;
        n.levelStep = notes.empty() ? 0 : at - depth;
        notes.push_back(n);
        depth = at;
        for (std::size_t child : children[fresh[i].uid]) self(self, child, at + 1);
    };
    for (std::size_t i : roots) place(place, i, 1);
    for (std::size_t i = 0; i < fresh.size(); ++i) place(place, i, 1);
}

}  // namespace

CalendarImport ImportICalendar(const std::string& text, EventStore& events, DiaryTable& diary,
                               NoteTable& notes, const std::string& group, std::int64_t now) {
    ImportTarget target;
    target.groupName = group;
    return ImportICalendar(text, events, diary, notes, target, now);
}

CalendarImport ImportICalendar(const std::string& text, EventStore& events, DiaryTable& diary,
                               NoteTable& notes, const ImportTarget& target, std::int64_t now) {
    const ICalGuard guard;
    CalendarImport result;
    Component root(icalparser_parse_string(text.c_str()), icalcomponent_free);
    if (!root) return result;
    std::vector<icalcomponent*> calendars;
    if (icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT) {
        calendars.push_back(root.get());
    } else {
        for (icalcomponent* c = icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT); c;
             c = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT))
            calendars.push_back(c);
    }
    if (calendars.empty()) return result;
    result.ok = true;
    std::set<std::int32_t> ids;
    for (const EventItem& e : events.events) ids.insert(e.details.eventId);
    ImportGroups<EventGroup> groups(events.groups, target);
    std::vector<ReadNote> read;
    for (icalcomponent* cal : calendars) {
        for (icalcomponent* c = icalcomponent_get_first_component(cal, ICAL_ANY_COMPONENT); c;
             c = icalcomponent_get_next_component(cal, ICAL_ANY_COMPONENT)) {
            const icalcomponent_kind kind = icalcomponent_isa(c);
            if (kind == ICAL_VEVENT_COMPONENT) {
                ImportEvent(c, events, ids, groups, result.events, now);
            } else if (kind == ICAL_VJOURNAL_COMPONENT) {
                const icaltimetype start = icalcomponent_get_dtstart(c);
                if (!icaltime_is_null_time(start)) {
                    ImportDiaryPage(c, start, diary, result.diary);
                    continue;
                }
                read.push_back(NoteOfJournal(c, now));
            } else if (kind != ICAL_VTIMEZONE_COMPONENT) {
                ++result.events.skipped;
            }
        }
    }
    ImportNotes(std::move(read), notes, result.notes);
    return result;
}

namespace {

// A text as a content line carries it: a text value loses its CRs, form
// feeds and backspaces on the way out and the blanks at its ends on the way
// in; a blank one does not come back at all.
struct Carried {
    bool there = false;
    std::string text;
};

Carried AsCarried(const std::string& utf8) {
    Carried c{true, utf8};
    c.text.erase(std::remove_if(c.text.begin(), c.text.end(),
                                [](char ch) { return ch == '\r' || ch == '\f' || ch == '\b'; }),
                 c.text.end());
    const char* const blanks = " \t\v";
    const std::size_t first = c.text.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    c.text.erase(c.text.find_last_not_of(blanks) + 1);
    c.text.erase(0, first);
    return c;
}

// What HtmlOfJournal gives for a journal the export wrote from this page.
std::string HtmlAsRead(const std::string& stored) {
    const std::string page = StoredTextToUtf8(stored);
    const Carried alt = AsCarried(page);
    const std::string plain = PlainTextOfHtml(page);
    const Carried text = AsCarried(plain);
    if (alt.there && (!text.there || EditedText(alt.text == page ? plain : PlainTextOfHtml(alt.text)) ==
                                         EditedText(text.text)))
        return alt.text;
    return PageOf(text.text);
}

}  // namespace

ReadJournal JournalAsRead(const DiaryPage& page) {
    ReadJournal read;
    read.dated = true;
    const DateTime day = PageDay(page.date);
    const std::optional<std::int64_t> midnight = MakeLocalTime(day.year, day.month, day.day, 0, 0, 0);
    if (!midnight) return read;
    read.page.date = ClampToTime32(*midnight);
    read.page.title = AsCarried(StoredTextToUtf8(page.title)).text;
    if (read.page.title.empty()) read.page.title = DiaryTitle(read.page.date);
    read.page.html = HtmlAsRead(page.html);
    read.ok = true;
    return read;
}

ReadJournal JournalAsRead(const NoteItem& note) {
    ReadJournal read;
    read.note.name = AsCarried(StoredTextToUtf8(note.name)).text;
    read.note.html = HtmlAsRead(note.html);
    read.note.created = note.created;
    read.ok = true;
    return read;
}

ReadJournal ReadOneJournal(const std::string& text, std::int64_t now) {
    const ICalGuard guard;
    ReadJournal read;
    Component root(icalparser_parse_string(text.c_str()), icalcomponent_free);
    if (!root) return read;
    icalcomponent* j = icalcomponent_isa(root.get()) == ICAL_VJOURNAL_COMPONENT
                           ? root.get()
                           : icalcomponent_get_first_component(root.get(), ICAL_VJOURNAL_COMPONENT);
    if (!j) return read;
    const icaltimetype start = icalcomponent_get_dtstart(j);
    read.dated = !icaltime_is_null_time(start);
    if (read.dated) {
        if (!PageOfJournal(j, start, read.page)) return read;
        read.uid = Text(icalcomponent_get_uid(j));
    } else {
        ReadNote note = NoteOfJournal(j, now);
        read.note = std::move(note.note);
        read.uid = std::move(note.uid);
        read.parentUid = std::move(note.parent);
    }
    read.ok = true;
    return read;
}

std::int32_t EventIdOfUid(const std::string& uid) { return IdOfUid(uid); }

namespace {

// One content line of an item as it stands in the text: its bytes with the
// folds and the line end, and what a reader sees of it.
struct ContentLine {
    std::string raw;
    std::string name;   // upper case, without parameters
    std::string value;  // unfolded, after the first colon outside quotes
    std::string head;   // unfolded, up to that colon: the name and its parameters
};

std::vector<ContentLine> ContentLines(const std::string& text) {
    std::vector<ContentLine> lines;
    std::string unfolded;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        const std::string_view piece(text.data() + at, end - at);
        std::string_view bare = piece;
        while (!bare.empty() && (bare.back() == '\n' || bare.back() == '\r')) bare.remove_suffix(1);
        if (!lines.empty() && !piece.empty() && (piece[0] == ' ' || piece[0] == '\t')) {
            lines.back().raw += piece;
            lines.back().value.append(bare.substr(1));
        } else {
            lines.push_back({std::string(piece), {}, std::string(bare), {}});
        }
        at = end;
    }
    for (ContentLine& l : lines) {
        // Split at the first colon outside quotes.
        const std::string all = l.value;
        bool quoted = false;
        std::size_t colon = 0;
        while (colon < all.size() && (all[colon] != ':' || quoted)) quoted ^= all[colon++] == '"';
        l.head = all.substr(0, colon);
        l.value = colon < all.size() ? all.substr(colon + 1) : std::string();
        const std::size_t end = l.head.find(';');
        l.name = l.head.substr(0, end);
        for (char& c : l.name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return lines;
}

bool Is(const ContentLine& l, const char* name, const char* value) {
    return l.name == name && strcasecmp(l.value.c_str(), value) == 0;
}

// A component in a list of lines: [begin, end], end the END line.
struct Block {
    std::size_t begin = 0, end = 0;
    bool found() const { return end > begin; }
};

// The blocks of components of a kind directly inside the calendar.
std::vector<Block> Blocks(const std::vector<ContentLine>& lines, const char* kind) {
    std::vector<Block> out;
    int depth = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].name == "BEGIN" && ++depth == 2 && Is(lines[i], "BEGIN", kind)) out.push_back({i, i});
        if (lines[i].name == "END" && depth-- == 2 && !out.empty() && out.back().end == out.back().begin &&
            Is(lines[i], "END", kind))
            out.back().end = i;
    }
    if (!out.empty() && !out.back().found()) out.pop_back();
    return out;
}

// The value of a property directly in a block (not in its alarms).
const ContentLine* PropertyIn(const std::vector<ContentLine>& lines, const Block& b, const char* name) {
    int depth = 0;
    for (std::size_t i = b.begin + 1; i < b.end; ++i) {
        if (lines[i].name == "BEGIN") ++depth;
        if (depth == 0 && lines[i].name == name) return &lines[i];
        if (lines[i].name == "END") --depth;
    }
    return nullptr;
}

// The item itself: the component of that kind that is no moved or changed occurrence.
Block MasterBlock(const std::vector<ContentLine>& lines, const char* kind = "VEVENT") {
    for (const Block& b : Blocks(lines, kind))
        if (!PropertyIn(lines, b, "RECURRENCE-ID")) return b;
    return {};
}

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string UtcLine(const char* name, std::int64_t now) {
    return std::string(name) + ":" + icaltime_as_ical_string(Moment(now, nullptr)) + "\r\n";
}

// The item's lines as they stand, those keep() turns down left out (it may
// write what stands instead), `before` put before the master component and
// `added` with new stamps before its end. keep() sees each line with its
// depth in the master: 0 for its own, more in its alarms, -1 outside it.
std::string Spliced(const std::vector<ContentLine>& lines, const Block& master, const std::string& before,
                    const std::string& added, std::int64_t now,
                    const std::function<bool(std::size_t, const ContentLine&, int, std::string&)>& keep) {
    std::string out;
    int depth = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const ContentLine& l = lines[i];
        if (i == master.begin) out += before;
        if (i == master.end) out += added + UtcLine("DTSTAMP", now) + UtcLine("LAST-MODIFIED", now);
        const bool inside = i > master.begin && i < master.end;
        if (inside && l.name == "BEGIN") ++depth;
        const int at = inside ? depth : -1;
        if (inside && l.name == "END") --depth;
        if (at == 0 && (l.name == "DTSTAMP" || l.name == "LAST-MODIFIED")) continue;
        if (keep(i, l, at, out)) out += l.raw;
    }
    return out;
}

}  // namespace

// Another program's item is patched as text: its lines stay byte for byte
// (folds, escapes, parameter order, what libical would write otherwise);
// libical only works out the new end of a moved event.
std::string PatchEventItem(const std::string& original, const std::string& ours, unsigned parts,
                           std::int64_t now) {
    const std::vector<ContentLine> theirs = ContentLines(original), mine = ContentLines(ours);
    const Block ev = MasterBlock(theirs), from = MasterBlock(mine);
    if (!ev.found() || !from.found()) return {};

    // The master's own properties that go, by name, and ours that come instead.
    std::vector<std::string> names;
    if (parts & kEventName) names.push_back("SUMMARY");
    if (parts & kEventComment) names.push_back("DESCRIPTION");
    if (parts & kEventPriority) names.insert(names.end(), {"PRIORITY", kPriority});
    if (parts & kEventActual) names.push_back(kActual);
    if (parts & kEventSchedule) names.insert(names.end(), {"DTSTART", "RRULE", "RDATE", "EXDATE", kSchedule});
    if (parts & kEventReminders) names.insert(names.end(), {kReminders, kRunFile});
    const auto replaced = [&](const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    std::string added;
    {
        int depth = 0;
        for (std::size_t i = from.begin + 1; i < from.end; ++i) {
            const ContentLine& l = mine[i];
            if (l.name == "BEGIN") ++depth;
            const bool alarm = (parts & kEventReminders) && depth > 0;
            if ((depth == 0 && replaced(l.name)) || alarm) added += l.raw;
            if (l.name == "END") --depth;
        }
    }

    // Our group is the first category; another program's others stay after it.
    const ContentLine* ourGroup = PropertyIn(mine, from, "CATEGORIES");
    const std::string group = ourGroup ? ourGroup->value : std::string();
    if ((parts & kEventGroup) && !group.empty() && !PropertyIn(theirs, ev, "CATEGORIES"))
        AppendFoldedLine(added, "CATEGORIES:" + group);

    std::string sequence, end;
    const std::string uid =
        PropertyIn(theirs, ev, "UID") ? PropertyIn(theirs, ev, "UID")->value : std::string();
    if (parts & kEventSchedule) {
        const ContentLine* seq = PropertyIn(theirs, ev, "SEQUENCE");
        sequence = "SEQUENCE:" + std::to_string((seq ? std::atoi(seq->value.c_str()) : 0) + 1) + "\r\n";
        // The event keeps its length.
        if (PropertyIn(theirs, ev, "DTEND")) {
            const ICalGuard guard;
            Component a(icalparser_parse_string(original.c_str()), icalcomponent_free);
            Component b(icalparser_parse_string(ours.c_str()), icalcomponent_free);
            icalcomponent* was =
                a ? icalcomponent_get_first_component(a.get(), ICAL_VEVENT_COMPONENT) : nullptr;
            while (was && icalcomponent_get_first_property(was, ICAL_RECURRENCEID_PROPERTY))
                was = icalcomponent_get_next_component(a.get(), ICAL_VEVENT_COMPONENT);
            icalcomponent* is =
                b ? icalcomponent_get_first_component(b.get(), ICAL_VEVENT_COMPONENT) : nullptr;
            if (was && is) {
                const std::int64_t length =
                    LocalMoment(icalcomponent_get_dtend(was)) - LocalMoment(icalcomponent_get_dtstart(was));
                icaltimezone* zone = ProcessZone();
                icaltimetype moved = Moment(LocalMoment(icalcomponent_get_dtstart(is)) + length, zone);
                if (zone) moved.zone = nullptr;  // the wall clock with the zone's name, as DTSTART
                icalproperty* dtend = icalproperty_new_dtend(moved);
                if (zone)
                    icalproperty_add_parameter(dtend,
                                               icalparameter_new_tzid(icaltimezone_get_location(zone)));
                char* text = icalproperty_as_ical_string_r(dtend);
                end = text ? text : "";
                std::free(text);
                icalproperty_free(dtend);
            }
        }
    }

    // Our zone's definition, where the item has none of that name yet.
    std::string zones;
    if (parts & kEventSchedule) {
        std::set<std::string> known;
        for (const Block& z : Blocks(theirs, "VTIMEZONE"))
            if (const ContentLine* id = PropertyIn(theirs, z, "TZID")) known.insert(id->value);
        for (const Block& z : Blocks(mine, "VTIMEZONE")) {
            const ContentLine* id = PropertyIn(mine, z, "TZID");
            if (!id || known.count(id->value)) continue;
            for (std::size_t i = z.begin; i <= z.end; ++i) zones += mine[i].raw;
        }
    }
    std::set<std::size_t> overrides;  // moved occurrences: a new schedule replaces them
    if (parts & kEventSchedule)
        for (const Block& b : Blocks(theirs, "VEVENT")) {
            const ContentLine* id = PropertyIn(theirs, b, "UID");
            if (b.begin != ev.begin && id && id->value == uid)
                for (std::size_t i = b.begin; i <= b.end; ++i) overrides.insert(i);
        }

    bool firstCategories = true;
    return Spliced(theirs, ev, zones, added + end + sequence, now,
                   [&](std::size_t i, const ContentLine& l, int depth, std::string& out) {
                       if (overrides.count(i) || (depth > 0 && (parts & kEventReminders))) return false;
                       if (depth != 0) return true;
                       if (replaced(l.name) || (!sequence.empty() && l.name == "SEQUENCE") ||
                           (!end.empty() && l.name == "DTEND"))
                           return false;
                       if (l.name != "CATEGORIES" || !(parts & kEventGroup) || !firstCategories) return true;
                       firstCategories = false;
                       std::size_t comma = 0;
                       while (comma < l.value.size() && l.value[comma] != ',')
                           comma += l.value[comma] == '\\' ? 2 : 1;
                       const std::string rest =
                           comma < l.value.size() ? l.value.substr(comma + 1) : std::string();
                       const std::string value = group + (group.empty() || rest.empty() ? "" : ",") + rest;
                       if (!value.empty()) AppendFoldedLine(out, l.head + ":" + value);
                       return false;
                   });
}

std::string PatchJournalItem(const std::string& original, const std::string& ours, unsigned parts,
                             std::int64_t now) {
    const std::vector<ContentLine> theirs = ContentLines(original), mine = ContentLines(ours);
    const Block j = MasterBlock(theirs, "VJOURNAL"), from = MasterBlock(mine, "VJOURNAL");
    if (!j.found() || !from.found()) return {};
    // The parent is the one RELATED-TO whose type is PARENT, as RFC 5545 reads one without a type.
    const auto parentLink = [](const ContentLine& l) {
        if (l.name != "RELATED-TO") return false;
        const std::string head = Upper(l.head);
        return head.find("RELTYPE=") == std::string::npos || head.find("RELTYPE=PARENT") != std::string::npos;
    };
    const auto replaced = [&](const ContentLine& l) {
        return ((parts & kJournalTitle) && l.name == "SUMMARY") ||
               ((parts & kJournalText) && (l.name == "DESCRIPTION" || l.name == kAltDesc)) ||
               ((parts & kJournalParent) && parentLink(l));
    };
    std::string added;
    for (std::size_t i = from.begin + 1; i < from.end; ++i)
        if (replaced(mine[i])) added += mine[i].raw;
    return Spliced(theirs, j, {}, added, now,
                   [&](std::size_t, const ContentLine& l, int depth, std::string&) {
                       return depth != 0 || !replaced(l);
                   });
}

}  // namespace veltrin
