#pragma once

#include <array>
#include <cstdint>

#include "events/EventTrees.h"
#include "tree/GroupTreeModel.h"

namespace veltrin {

class ReminderDispatcher;

// The two cell styles of an event list: the name with its check box
// (editable text with a check box, 12) and the priority drop-down (18).
struct EventListStyles {
    int name = -1;
    int priority = -1;
};

// What one pass over an event list needs besides the rows.
struct EventTickContext {
    EventListStyles styles;
    bool showSeconds = false;
    ReminderDispatcher* dispatcher = nullptr;  // none: due rows move on without a reminder
    int icon = -1;                             // handed to Fire; -1 the program's icon
    // false: the reminder engine decides what fires; the row only gets its
    // texts and its due tracking is left alone.
    bool checksDue = true;
};

// Sets up a flat list as both event lists show it: the four columns ("Event
// Name" 200, "Time" 150, "Left" 150, "Priority" 80 centred), full-row
// selection and the two cell styles.
EventListStyles SetUpEventList(GroupTreeModel& list);

// The width each of the four columns needs to show its texts whole; 0 for
// a column that needs nothing.
using EventColumnNeeds = std::array<int, 4>;

// Columns 0 to 2 share the list's width less 30 each; "Priority" gets 74. A
// column that needs more grows, taking the growth from "Event Name" first
// (FitColumnsToTexts).
void FitEventColumns(GroupTreeModel& list, int listWidth, const EventColumnNeeds& needs = {});

// The choices of the "Priority" drop-down, "1 of 10" to "10 of 10", filled
// the first time they are asked for.
void FillPriorityChoices(GroupTreeModel& list, int priorityStyle);

// The check state of a row, as UpdateEventRow reads it.
bool RowIsActual(const GroupTreeModel& list, NodeHandle row);

// One row at one moment: fires the reminder when due (the "Left" text of
// the last update is not "Expired", now is at or after nextDue and nextDue
// is later than lastCheck), then sets the "Time" and "Left" texts. True
// when the reminder fired.
bool UpdateEventRow(GroupTreeModel& list, NodeHandle row, const EventTickContext& context, std::int64_t now);

// Every row in list order, each at its own clock reading, with redrawing
// held off for the pass.
void TickEventList(GroupTreeModel& list, const EventTickContext& context);

// The notifications both event lists answer alike: a check box toggles and
// the row is updated at once; the priority drop-down gets its choices. True
// when the notification was one of these; *answer is then the reply.
bool HandleEventListNotify(GroupTreeModel& list, const TreeNotification& n, const EventTickContext& context,
                           unsigned* answer);

// Sets a row's due tracking as creating, editing or listing an event does:
// nextDue the next occurrence, lastCheck now.
void ResetDueTracking(EventSchedule& s, std::int64_t now);

}  // namespace veltrin
