#pragma once

#include <cstdint>

#include "controls/GroupTreeModel.h"
#include "events/Calendar.h"
#include "events/EventRecords.h"

namespace veltrin {

// The periods of the Today view's coming-events list (comingEventsPeriod).
enum ComingEventsPeriod : std::int32_t {
    kPeriodDay = 0,
    kPeriodWeek = 1,
    kPeriodMonth = 2,
    kPeriodYear = 3,
};

// A stored period outside Day..Year counts as Day.
ComingEventsPeriod ValidComingEventsPeriod(std::int32_t period);

// The week of the year with weeks starting on Monday; the days before the
// year's first Monday are week 0.
int MondayWeekOfYear(const CivilDate& date);

// Whether a due time, read in local time, falls in the period around the
// selected date: the same day, the same year and Monday week, the same month,
// or the same year.
bool InComingPeriod(std::int64_t due, const CivilDate& selected, ComingEventsPeriod period);

// Whether the event's next occurrence after now falls in the period. Actual
// or not, every event is looked at.
bool IsComingEvent(const EventItem& event, const CivilDate& selected, ComingEventsPeriod period,
                   std::int64_t now);

// Fills the coming-events list: moves the events of the period out of the
// event array into rows of the list, walking the array from its first entry,
// then sorts the rows by name ignoring letter case (rows with equal names keep
// the array's order). The "Time" and "Left" texts are left to the row update.
// Returns how many rows were added.
int FillComingEvents(EventStore& store, GroupTreeModel& list, const CivilDate& selected,
                     ComingEventsPeriod period, std::int64_t now, int nameStyle = -1, int priorityStyle = -1);

}  // namespace veltrin
