#include "today/ComingEvents.h"

#include "base/LocalTime.h"
#include "events/EventTrees.h"
#include "events/Schedule.h"

namespace veltrin {

ComingEventsPeriod ValidComingEventsPeriod(std::int32_t period) {
    return period >= kPeriodDay && period <= kPeriodYear ? static_cast<ComingEventsPeriod>(period)
                                                         : kPeriodDay;
}

bool InComingPeriod(std::int64_t due, const CivilDate& selected, ComingEventsPeriod period) {
    const DateTime t = BreakDownLocal(due);
    if (period == kPeriodWeek) {
        // Compared as day numbers: a week number per year would cut the week
        // of a new year in two and match the same week of other years.
        const std::int64_t day = DaysFromCivil(selected.year, selected.month, selected.day);
        const std::int64_t monday = day - (WeekdayFromDays(day) + 6) % 7;
        const std::int64_t dueDay = DaysFromCivil(t.year, t.month, t.day);
        return dueDay >= monday && dueDay < monday + 7;
    }
    if (t.year != selected.year) return false;
    switch (period) {
    case kPeriodYear: return true;
    case kPeriodMonth: return t.month == selected.month;
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

int FillAndUpdateComingEvents(EventStore& store, GroupTreeModel& list, const CivilDate& selected,
                              ComingEventsPeriod period, const EventTickContext& context, std::int64_t now) {
    const int added =
        FillComingEvents(store, list, selected, period, now, context.styles.name, context.styles.priority);
    list.SetRedraw(false);
    for (NodeHandle row : RowsInStoreOrder(list)) UpdateEventRow(list, row, context, now);
    list.SetRedraw(true);
    return added;
}

void ReturnComingEvents(EventStore& store, GroupTreeModel& list, bool remove) {
    HandBackEventRowsInPlace(store, list, remove);
}

}  // namespace veltrin
