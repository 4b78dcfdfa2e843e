#include "base/LocalTime.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include <sys/inotify.h>
#include <unistd.h>

namespace veltrin {

namespace {

constexpr std::int64_t kDay = 86400;
constexpr const char* kPinnedZone = ":/etc/localtime";

bool FitsInt(std::int64_t v) { return v >= INT_MIN && v <= INT_MAX; }

// The library's conversion, normalising fields and leaving daylight saving
// open. Empty when the result cannot be represented.
std::optional<std::int64_t> LibraryMakeTime(const DateTime& f) {
    if (!FitsInt(f.year - 1900)) return std::nullopt;
    std::tm tm{};
    tm.tm_year = static_cast<int>(f.year - 1900);
    tm.tm_mon = f.month - 1;
    tm.tm_mday = f.day;
    tm.tm_hour = f.hour;
    tm.tm_min = f.minute;
    tm.tm_sec = f.second;
    tm.tm_isdst = -1;
    errno = 0;
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1) && errno == EOVERFLOW) return std::nullopt;
    return static_cast<std::int64_t>(t);
}

unsigned& ZoneGeneration() {
    static unsigned g = 0;
    return g;
}

const char* const kWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};
const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};

void AppendTwoDigits(std::string& out, int v) {
    out += static_cast<char>('0' + v / 10 % 10);
    out += static_cast<char>('0' + v % 10);
}

// The watch on /etc for the system zone; -1 when the zone is not pinned.
int& ZoneWatch() {
    static int fd = -1;
    return fd;
}

}  // namespace

LocalCalendar& LocalCalendar::current() {
    thread_local LocalCalendar calendar;
    calendar.followZone();
    return calendar;
}

std::optional<std::int64_t> LocalCalendar::make(std::int64_t year, std::int64_t month, std::int64_t day,
                                                std::int64_t hour, std::int64_t minute, std::int64_t second) {
    // Fields from a damaged record may be anything; beyond these bounds no
    // date fits the library's year anyway, and the sums below cannot overflow.
    constexpr std::int64_t kLimit = std::int64_t(1) << 33;
    for (std::int64_t v : {year, month, day, hour, minute, second})
        if (v < -kLimit || v > kLimit) return std::nullopt;
    const std::int64_t local =
        DaysFromCivil(year, month, 1) * kDay + (day - 1) * kDay + hour * 3600 + minute * 60 + second;
    const Day& info = lookup(FloorDiv(local, kDay));
    if (info.regular) return local - info.offset;
    return LibraryMakeTime(DateTimeFromSeconds(local));
}

DateTime LocalCalendar::breakDown(std::int64_t t) {
    const std::int64_t guess = FloorDiv(t + lastOffset_, kDay);
    for (std::int64_t d : {guess, guess - 1, guess + 1}) {
        const Day& info = lookup(d);
        const std::int64_t start = d * kDay - info.offset;
        if (info.regular && t >= start && t < start + kDay) {
            lastOffset_ = info.offset;
            return DateTimeFromSeconds(t + info.offset);
        }
    }
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
    if (!localtime_r(&tt, &tm)) return DateTimeFromSeconds(t);
    return DateTimeFromTm(tm);
}

void LocalCalendar::forget() {
    for (Day& d : days_) d = Day{};
}

// Notices a changed TZ (tests and callers may set it) or a re-read zone.
void LocalCalendar::followZone() {
    // Looking for a change of the system zone once a second is enough, and
    // keeps it to one call however many times are converted. (It may rewrite
    // TZ, so it comes before TZ is read.)
    const std::time_t second = std::time(nullptr);
    if (second != lastPoll_) {
        lastPoll_ = second;
        RefreshLocalZoneIfChanged();
    }
    const char* tz = std::getenv("TZ");
    if (tz == nullptr) {
        PinLocalZone();
        tz = std::getenv("TZ");
    }
    const bool set = tz != nullptr;
    if (set == zoneSet_ && (!set || zoneName_ == tz) && seenGeneration_ == ZoneGeneration()) return;
    zoneSet_ = set;
    zoneName_ = set ? tz : "";
    seenGeneration_ = ZoneGeneration();
    tzset();
    forget();
}

const LocalCalendar::Day& LocalCalendar::lookup(std::int64_t day) {
    Day& slot = days_[static_cast<std::size_t>(FloorMod(day, kSlots))];
    if (slot.number != day) slot = learn(day);
    return slot;
}

LocalCalendar::Day LocalCalendar::learn(std::int64_t day) {
    Day info;
    info.number = day;
    const CivilDate date = CivilFromDays(day);
    DateTime midnight;
    midnight.year = date.year;
    midnight.month = date.month;
    midnight.day = date.day;
    const std::optional<std::int64_t> start = LibraryMakeTime(midnight);
    if (!start) return info;
    info.offset = day * kDay - *start;
    // The same offset at both ends puts them at 00:00:00 and 23:59:59; a
    // change and a change back within one day is not a thing zones do.
    for (std::int64_t probe : {*start, *start + kDay - 1}) {
        const std::time_t tt = static_cast<std::time_t>(probe);
        std::tm tm{};
        if (!localtime_r(&tt, &tm) || tm.tm_gmtoff != info.offset) return info;
    }
    info.regular = true;
    return info;
}

std::optional<std::int64_t> MakeLocalTime(std::int64_t year, std::int64_t month, std::int64_t day,
                                          std::int64_t hour, std::int64_t minute, std::int64_t second) {
    return LocalCalendar::current().make(year, month, day, hour, minute, second);
}

DateTime BreakDownLocal(std::int64_t t) { return LocalCalendar::current().breakDown(t); }

DateTime DateTimeFromTm(const std::tm& tm) {
    DateTime f;
    f.year = static_cast<std::int64_t>(tm.tm_year) + 1900;
    f.month = tm.tm_mon + 1;
    f.day = tm.tm_mday;
    f.hour = tm.tm_hour;
    f.minute = tm.tm_min;
    f.second = tm.tm_sec;
    f.weekday = tm.tm_wday;
    return f;
}

std::string FormatDateTime(const DateTime& f, const char* pattern) {
    std::string out;
    for (const char* p = pattern; *p; ++p) {
        if (*p != '%' || p[1] == '\0') {
            out += *p;
            continue;
        }
        switch (*++p) {
        case 'A': out += kWeekdays[f.weekday]; break;
        case 'a': out.append(kWeekdays[f.weekday], 3); break;
        case 'B': out += kMonths[f.month - 1]; break;
        case 'b': out.append(kMonths[f.month - 1], 3); break;
        case 'd': AppendTwoDigits(out, f.day); break;
        case 'm': AppendTwoDigits(out, f.month); break;
        case 'Y': out += std::to_string(f.year); break;
        case 'H': AppendTwoDigits(out, f.hour); break;
        case 'M': AppendTwoDigits(out, f.minute); break;
        case 'S': AppendTwoDigits(out, f.second); break;
        case '%': out += '%'; break;
        default: out += '%'; out += *p;
        }
    }
    return out;
}

const char* MonthName(int month) { return month >= 1 && month <= 12 ? kMonths[month - 1] : ""; }
const char* WeekdayName(int weekday) { return weekday >= 0 && weekday <= 6 ? kWeekdays[weekday] : ""; }

std::string FormatLocalTime(std::int64_t t, const char* pattern) {
    return FormatDateTime(BreakDownLocal(t), pattern);
}

void PinLocalZone() {
    if (std::getenv("TZ") != nullptr) return;  // an explicit zone is already read once
    tzset();
    setenv("TZ", kPinnedZone, 1);
    tzset();
    if (ZoneWatch() < 0) ZoneWatch() = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    // Zone tools replace the link in /etc rather than writing through it.
    if (ZoneWatch() >= 0 &&
        inotify_add_watch(ZoneWatch(), "/etc",
                          IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE | IN_DELETE | IN_ATTRIB) < 0) {
        close(ZoneWatch());
        ZoneWatch() = -1;
    }
}

bool RefreshLocalZoneIfChanged() {
    const int fd = ZoneWatch();
    if (fd < 0) return false;
    alignas(inotify_event) char buffer[4096];
    bool changed = false;
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len > 0 && std::strcmp(event->name, "localtime") == 0) changed = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    if (!changed) return false;
    const char* tz = std::getenv("TZ");
    if (tz == nullptr || std::strcmp(tz, kPinnedZone) != 0) return false;  // zone set by someone else
    // Without TZ the library compares the file with what it read before.
    unsetenv("TZ");
    tzset();
    setenv("TZ", kPinnedZone, 1);
    tzset();
    ++ZoneGeneration();
    return true;
}

void ForgetLocalDays() { LocalCalendar::current().forget(); }

}  // namespace veltrin
