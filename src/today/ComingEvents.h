#pragma once

#include <cstdint>

#include "base/Calendar.h"
#include "events/EventList.h"
#include "events/EventRecords.h"
#include "tree/GroupTreeModel.h"

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

// Whether a due time, read in local time, falls in the period around the
// selected date: the same day, the Monday-to-Sunday week that holds it (across
// a new year too), the same month, or the same year.
bool InComingPeriod(std::int64_t due, const CivilDate& selected, ComingEventsPeriod period);

// Whether the event's next occurrence after now falls in the period. Actual
// or not, every event is looked at.
bool IsComingEvent(const EventItem& event, const CivilDate& selected, ComingEventsPeriod period,
                   std::int64_t now);

// Fills the coming-events list: moves the events of the period out of the
// event array into rows of the list, walking the array from its first entry,
// then sorts the rows by name ignoring letter case (rows with equal names keep
// the array's order). Each row remembers its place in the array. The "Time"
// and "Left" texts are left to the row update. Returns how many rows were added.
int FillComingEvents(EventStore& store, GroupTreeModel& list, const CivilDate& selected,
                     ComingEventsPeriod period, std::int64_t now, int nameStyle = -1, int priorityStyle = -1);

// The list as the Today view fills it: FillComingEvents, then UpdateEventRow
// on each new row in the array's order (so due reminders fire in that order).
int FillAndUpdateComingEvents(EventStore& store, GroupTreeModel& list, const CivilDate& selected,
                              ComingEventsPeriod period, const EventTickContext& context, std::int64_t now);

// Hands every row's event back to the array at the place it was taken from;
// with remove the rows go as well, without it they stay (the save step).
void ReturnComingEvents(EventStore& store, GroupTreeModel& list, bool remove);

}  // namespace veltrin
