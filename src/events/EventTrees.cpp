#include "events/EventTrees.h"

#include "controls/GroupTreeCommands.h"
#include "controls/TreeRecords.h"
#include "events/Countdown.h"
#include "settings/ViewIndex.h"
#include "storage/Identifier.h"

namespace veltrin {

NodeHandle BuildEventGroupTree(GroupTreeModel& tree, const std::vector<EventGroup>& groups) {
    NodeHandle current = kNoNode;
    BuildTreeFromRecords(tree, groups, &current,
                         [&tree](NodeHandle node, const EventGroup& g) { tree.SetGroupId(node, g.groupId); });
    return current;
}

void FillEventGroups(const GroupTreeModel& tree, std::vector<EventGroup>& groups) {
    RecordsFromTree(tree, tree.GetSelectedItem(), groups,
                    [&tree](NodeHandle node, EventGroup& g) { g.groupId = tree.GetGroupId(node); });
}

NodeHandle AddEventRow(GroupTreeModel& list, const EventItem& item, int nameStyle, int priorityStyle,
                       NodeHandle after) {
    const NodeHandle row = list.InsertItem(kRootNode, after, item.name, 0, nameStyle);
    list.SetCellStyle(row, kEventPriorityColumn, priorityStyle);
    list.SetCheck(row, kEventNameColumn, item.actual);
    list.SetBold(row, item.bold);
    for (int c = kEventTimeColumn; c <= kEventPriorityColumn; ++c) list.SetItemImage(row, c, c);
    SetPriorityCell(list, row, item.priority);
    list.SetEventRecord(row, item.details);
    return row;
}

void SetPriorityCell(GroupTreeModel& list, NodeHandle row, std::int32_t priority) {
    list.SetItemText(row, kEventPriorityColumn, PriorityText(priority));
    list.SetItemValue(row, kEventPriorityColumn, priority);
}

EventItem EventItemFromRow(const GroupTreeModel& list, NodeHandle row, bool isCurrent) {
    EventItem item;
    item.actual = list.GetCheck(row, kEventNameColumn) == 1 ? 1 : 0;
    item.name = list.GetItemText(row, kEventNameColumn);
    item.iconIndex = list.GetItemImage(row, kEventNameColumn);
    item.bold = list.GetBold(row);
    item.priority = PriorityFromText(list.GetItemText(row, kEventPriorityColumn));
    item.isCurrent = isCurrent ? 1 : 0;
    item.details = list.GetEventRecord<EventDetails>(row);
    return item;
}

int TakeEventsIntoList(EventStore& store, GroupTreeModel& list,
                       const std::function<bool(const EventItem&)>& matches, int nameStyle, int priorityStyle,
                       const std::function<void(NodeHandle, const EventItem&)>& added) {
    int taken = 0;
    std::vector<EventItem> kept;
    kept.reserve(store.events.size());
    list.SetRedraw(false);
    for (EventItem& e : store.events) {
        if (matches(e)) {
            const NodeHandle row = AddEventRow(list, e, nameStyle, priorityStyle);
            if (added) added(row, e);
            ++taken;
        } else {
            kept.push_back(std::move(e));
        }
    }
    list.SetRedraw(true);
    store.events = std::move(kept);
    return taken;
}

void HandBackEventRows(EventStore& store, GroupTreeModel& list, const std::int32_t* groupId, bool markCurrent,
                       bool remove) {
    HandBackRows(list, remove, [&](NodeHandle row, bool selected) {
        EventItem item = EventItemFromRow(list, row, markCurrent && selected);
        if (groupId) item.details.groupId = *groupId;
        store.events.push_back(std::move(item));
    });
}

std::int32_t DrawUnusedGroupId(const GroupTreeModel& tree) {
    return DrawUnusedId(tree, &GroupTreeModel::GetGroupId, DrawIdentifier);
}

namespace {

bool saveEvents(EventStore& store, const EventViews& views, bool rebuildGroups) {
    const std::vector<EventItem> snapshot = store.events;
    if (views.eventsList) {
        // Rows of the Events view belong to the group selected in its tree.
        const NodeHandle group = views.eventsGroups ? views.eventsGroups->GetSelectedItem() : kNoNode;
        const std::int32_t groupId = group != kNoNode ? views.eventsGroups->GetGroupId(group) : 0;
        HandBackEventRows(store, *views.eventsList, group != kNoNode ? &groupId : nullptr, true, false);
    }
    if (views.todayList) HandBackEventRows(store, *views.todayList, nullptr, false, false);
    if (rebuildGroups && views.eventsGroups) FillEventGroups(*views.eventsGroups, store.groups);
    const bool ok = SerializeEventsFile(store, true);
    store.events = snapshot;
    return ok;
}

}  // namespace

bool SaveEventsFromEventsView(EventStore& store, int currentView, const EventViews& views) {
    if (currentView == kTodayView) return true;  // the Today view holds the live rows
    return saveEvents(store, views, true);
}

bool SaveEventsFromTodayView(EventStore& store, int currentView, const EventViews& views) {
    if (currentView == kEventsView) return true;
    return saveEvents(store, views, false);
}

}  // namespace veltrin
