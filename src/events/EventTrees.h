#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "events/EventRecords.h"
#include "tree/GroupTreeModel.h"

namespace veltrin {

// The four columns of both event lists.
enum EventListColumn {
    kEventNameColumn = 0,
    kEventTimeColumn = 1,
    kEventLeftColumn = 2,
    kEventPriorityColumn = 3
};

// Builds the Events view's group tree from the group array; returns the node
// of the group stored as current (kNoNode when none is).
NodeHandle BuildEventGroupTree(GroupTreeModel& tree, const std::vector<EventGroup>& groups);

// Rebuilds the group array from the tree, in pre-order with level steps.
void FillEventGroups(const GroupTreeModel& tree, std::vector<EventGroup>& groups);

// The "Priority" cell of a row: its text "%d of 10" and the value the drop-down
// matches, so the drop-down opens on the row's own priority.
void SetPriorityCell(GroupTreeModel& list, NodeHandle row, std::int32_t priority);

// Adds a row for an event: name, check box, bold, the four column images and
// the priority text; the event's details ride in the row. The "Time" and
// "Left" texts are the view's to set.
NodeHandle AddEventRow(GroupTreeModel& list, const EventItem& item, int nameStyle, int priorityStyle,
                       NodeHandle after = kInsertLast);

// Puts an edited event into its row: name, check box, bold, priority and
// details, as AddEventRow sets them for a new one.
void SetEventRow(GroupTreeModel& list, NodeHandle row, const EventItem& item);

// The event a row holds.
EventItem EventItemFromRow(const GroupTreeModel& list, NodeHandle row, bool isCurrent);

// Moves the events that match out of the array into rows of the list, in
// array order, each row remembering its place in the array; returns how many.
// added, when given, sees each new row with the event it came from.
int TakeEventsIntoList(EventStore& store, GroupTreeModel& list,
                       const std::function<bool(const EventItem&)>& matches, int nameStyle, int priorityStyle,
                       const std::function<void(NodeHandle, const EventItem&)>& added = {});

// A new group id that no group of the tree has yet: two groups with one id
// would show each other's events.
std::int32_t DrawUnusedGroupId(const GroupTreeModel& tree);

// Hands the list's rows back to the event array: the rows taken from it fill
// the places they were taken from, in list order (so a move up or down is
// kept and the rest of the array keeps its order); new rows are appended.
// groupId, when not null, is written into every event (the group selected in
// the tree); markCurrent marks the list's selected row. With remove, the
// rows go.
void HandBackEventRows(EventStore& store, GroupTreeModel& list, const std::int32_t* groupId, bool markCurrent,
                       bool remove);

// Where a row was taken from: after how many of the events left in the
// array, and its index there then (which orders rows taken side by side).
// A row that came from nowhere has none (after < 0).
struct StorePlace {
    std::int64_t after = -1;
    std::int64_t index = -1;
    bool operator<(const StorePlace& o) const { return after != o.after ? after < o.after : index < o.index; }
};
void SetRowStorePlace(GroupTreeModel& list, NodeHandle row, const StorePlace& place);
StorePlace RowStorePlace(const GroupTreeModel& list, NodeHandle row);

// The list's rows ordered by their places in the array (rows from nowhere
// last, in list order).
std::vector<NodeHandle> RowsInStoreOrder(const GroupTreeModel& list);

// Puts each row's event back where it was taken from, so the array keeps the
// order it had (the rows' own order, a sort by name, does not leak into it);
// rows from nowhere are appended. With remove, the rows go.
void HandBackEventRowsInPlace(EventStore& store, GroupTreeModel& list, bool remove);

// The two lists and the tree that may hold events while the program runs.
struct EventViews {
    GroupTreeModel* todayList = nullptr;     // the Today view's coming events
    GroupTreeModel* eventsList = nullptr;    // the Events view's list
    GroupTreeModel* eventsGroups = nullptr;  // the Events view's group tree
};

// Adds the rows of both lists to the event array, without taking them from
// the lists, and rebuilds the groups from the Events view's tree: the events
// as a save writes them. fromLists, when given, gets a mark for each event
// of the array: whether it came from a list.
void GatherEvents(EventStore& store, const EventViews& views, std::vector<bool>* fromLists = nullptr);

// Saves from the Events view (skipped while Today is the current view) and
// from the Today view (skipped while Events is current). Either writes the
// event array plus the rows of both lists, so no write ever drops an event,
// and the groups as the Events view's tree holds them (when given), so no
// write drops a change of a group; the event array is left as it was. True
// when written or skipped.
bool SaveEventsFromEventsView(EventStore& store, int currentView, const EventViews& views);
bool SaveEventsFromTodayView(EventStore& store, int currentView, const EventViews& views);

}  // namespace veltrin
