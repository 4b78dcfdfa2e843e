#pragma once

#include <cstdint>
#include <string>

namespace veltrin {

enum ScheduleKind : std::int32_t {
    Once = 0,
    Hourly = 1,
    Daily = 2,
    Weekly = 3,
    Monthly = 4,
    Annually = 5,
};

enum WhichDays : std::int32_t {
    AllDays = 0,
    WorkDays = 1,
    WeekendDays = 2,
    CustomDays = 3,
};

// When an event falls due. Fields are kept as stored (any value a file may
// hold), times as 32-bit seconds since 1970.
struct EventSchedule {
    std::int32_t kind = Once;
    std::int32_t eventTime = 0;
    std::int32_t minutesAfterHour = 0;  // Hourly, 0..59
    std::int32_t dayOfMonth = 1;        // Monthly, 1..31
    std::int32_t annualDay = 1;         // Annually, 1..31
    std::int32_t annualMonth = 0;       // Annually, 0 January .. 11
    std::int32_t whichDays = AllDays;   // Daily
    std::string customDays;             // day digits, '1' Sunday .. '7' Saturday
    std::int32_t weekday = 1;           // Weekly, as a day digit's value
    std::int32_t nextDue = 0;
    std::int32_t lastCheck = 0;

    bool operator==(const EventSchedule& o) const {
        return kind == o.kind && eventTime == o.eventTime && minutesAfterHour == o.minutesAfterHour &&
               dayOfMonth == o.dayOfMonth && annualDay == o.annualDay && annualMonth == o.annualMonth &&
               whichDays == o.whichDays && customDays == o.customDays && weekday == o.weekday &&
               nextDue == o.nextDue && lastCheck == o.lastCheck;
    }
    bool operator!=(const EventSchedule& o) const { return !(*this == o); }
};

}  // namespace veltrin
