#include "today/ComingEvents.h"

#include "events/EventTrees.h"
#include "events/LocalTime.h"
#include "events/Schedule.h"

namespace veltrin {

ComingEventsPeriod ValidComingEventsPeriod(std::int32_t period) {
    return period >= kPeriodDay && period <= kPeriodYear ? static_cast<ComingEventsPeriod>(period)
                                                         : kPeriodDay;
}

int MondayWeekOfYear(const CivilDate& date) {
    const std::int64_t days = DaysFromCivil(date.year, date.month, date.day);
    const std::int64_t dayOfYear = days - DaysFromCivil(date.year, 1, 1);
    const int daysSinceMonday = (WeekdayFromDays(days) + 6) % 7;
    return static_cast<int>((dayOfYear + 7 - daysSinceMonday) / 7);
}

bool InComingPeriod(std::int64_t due, const CivilDate& selected, ComingEventsPeriod period) {
    const DateTime t = BreakDownLocal(due);
    if (t.year != selected.year) return false;
    switch (period) {
    case kPeriodYear: return true;
    case kPeriodMonth: return t.month == selected.month;
    case kPeriodWeek: return MondayWeekOfYear({t.year, t.month, t.day}) == MondayWeekOfYear(selected);
    case kPeriodDay:
    default: return t.month == selected.month && t.day == selected.day;
    }
}

bool IsComingEvent(const EventItem& event, const CivilDate& selected, ComingEventsPeriod period,
                   std::int64_t now) {
    return InComingPeriod(NextOccurrence(event.details.schedule, now), selected, period);
}

int FillComingEvents(EventStore& store, GroupTreeModel& list, const CivilDate& selected,
                     ComingEventsPeriod period, std::int64_t now, int nameStyle, int priorityStyle) {
    const int added = TakeEventsIntoList(
        store, list, [&](const EventItem& e) { return IsComingEvent(e, selected, period, now); }, nameStyle,
        priorityStyle);
    list.SortChildren(kEventNameColumn, kRootNode, false);
    return added;
}

}  // namespace veltrin
