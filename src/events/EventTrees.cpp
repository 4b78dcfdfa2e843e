#include "events/EventTrees.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "events/Countdown.h"
#include "settings/ViewIndex.h"
#include "storage/Identifier.h"
#include "tree/GroupTreeCommands.h"
#include "tree/TreeRecords.h"

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
    for (int c = kEventTimeColumn; c <= kEventPriorityColumn; ++c) list.SetItemImage(row, c, c);
    SetEventRow(list, row, item);
    return row;
}

void SetEventRow(GroupTreeModel& list, NodeHandle row, const EventItem& item) {
    list.SetItemText(row, kEventNameColumn, item.name);
    list.SetCheck(row, kEventNameColumn, item.actual);
    list.SetBold(row, item.bold);
    SetPriorityCell(list, row, item.priority);
    list.SetEventRecord(row, item.details);
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
    for (std::size_t i = 0; i < store.events.size(); ++i) {
        EventItem& e = store.events[i];
        if (matches(e)) {
            const NodeHandle row = AddEventRow(list, e, nameStyle, priorityStyle);
            SetRowStorePlace(list, row,
                             {static_cast<std::int64_t>(kept.size()), static_cast<std::int64_t>(i)});
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

namespace {

// Merges events back into the array, each placed one (in place order) after
// as many of the events left there as when it was taken, so a removed
// neighbour moves nothing; then the ones from nowhere.
void PutBack(EventStore& store, std::vector<std::pair<StorePlace, EventItem>> placed,
             std::vector<EventItem> unplaced, std::vector<bool>* fromRows) {
    if (placed.empty() && unplaced.empty()) return;  // the array stays as it is
    std::vector<EventItem> kept = std::move(store.events);
    store.events.clear();
    store.events.reserve(kept.size() + placed.size() + unplaced.size());
    std::vector<bool> marks;
    const auto keep = [&](std::size_t i) {
        store.events.push_back(std::move(kept[i]));
        if (fromRows) marks.push_back(i < fromRows->size() && (*fromRows)[i]);
    };
    const auto add = [&](EventItem& item) {
        store.events.push_back(std::move(item));
        if (fromRows) marks.push_back(true);
    };
    std::size_t next = 0;
    for (auto& [place, item] : placed) {
        while (static_cast<std::int64_t>(next) < place.after && next < kept.size()) keep(next++);
        add(item);
    }
    for (; next < kept.size(); ++next) keep(next);
    for (EventItem& item : unplaced) add(item);
    if (fromRows) *fromRows = std::move(marks);
}

void handBackEventRows(EventStore& store, GroupTreeModel& list, const std::int32_t* groupId, bool markCurrent,
                       bool remove, std::vector<bool>* fromRows) {
    std::vector<StorePlace> places;
    std::vector<std::pair<StorePlace, EventItem>> placed;
    std::vector<EventItem> unplaced;
    HandBackRows(list, remove, [&](NodeHandle row, bool selected) {
        EventItem item = EventItemFromRow(list, row, markCurrent && selected);
        if (groupId) item.details.groupId = *groupId;
        const StorePlace place = RowStorePlace(list, row);
        if (place.after < 0) {
            unplaced.push_back(std::move(item));
            return;
        }
        places.push_back(place);
        placed.emplace_back(StorePlace{}, std::move(item));
    });
    // The rows' own order (moved up or down) fills the places they came from.
    std::sort(places.begin(), places.end());
    for (std::size_t i = 0; i < placed.size(); ++i) placed[i].first = places[i];
    PutBack(store, std::move(placed), std::move(unplaced), fromRows);
}

void handBackEventRowsInPlace(EventStore& store, GroupTreeModel& list, bool remove,
                              std::vector<bool>* fromRows) {
    std::vector<std::pair<StorePlace, EventItem>> placed;
    std::vector<EventItem> unplaced;
    for (NodeHandle row : RowsInStoreOrder(list)) {
        const StorePlace place = RowStorePlace(list, row);
        if (place.after < 0)
            unplaced.push_back(EventItemFromRow(list, row, false));
        else
            placed.emplace_back(place, EventItemFromRow(list, row, false));
    }
    PutBack(store, std::move(placed), std::move(unplaced), fromRows);
    if (remove) HandBackRows(list, true, [](NodeHandle, bool) {});
}

}  // namespace

void HandBackEventRows(EventStore& store, GroupTreeModel& list, const std::int32_t* groupId, bool markCurrent,
                       bool remove) {
    handBackEventRows(store, list, groupId, markCurrent, remove, nullptr);
}

// The place rides in the values of the name and time cells, which only
// drop-down cells use.
void SetRowStorePlace(GroupTreeModel& list, NodeHandle row, const StorePlace& place) {
    const auto stored = [](std::int64_t v) {
        return v >= 0 && v < INT32_MAX ? static_cast<std::int32_t>(v + 1) : 0;
    };
    list.SetItemValue(row, kEventNameColumn, stored(place.after));
    list.SetItemValue(row, kEventTimeColumn, stored(place.index));
}

StorePlace RowStorePlace(const GroupTreeModel& list, NodeHandle row) {
    return {static_cast<std::int64_t>(list.GetItemValue(row, kEventNameColumn)) - 1,
            static_cast<std::int64_t>(list.GetItemValue(row, kEventTimeColumn)) - 1};
}

std::vector<NodeHandle> RowsInStoreOrder(const GroupTreeModel& list) {
    std::vector<NodeHandle> rows;
    for (NodeHandle r = list.GetNextItem(kRootNode, kFirstChild); r != kNoNode;
         r = list.GetNextItem(r, kNextSibling))
        rows.push_back(r);
    const auto place = [&list](NodeHandle r) {
        const StorePlace p = RowStorePlace(list, r);
        return p.after < 0 ? StorePlace{INT64_MAX, INT64_MAX} : p;
    };
    std::stable_sort(rows.begin(), rows.end(),
                     [&](NodeHandle a, NodeHandle b) { return place(a) < place(b); });
    return rows;
}

void HandBackEventRowsInPlace(EventStore& store, GroupTreeModel& list, bool remove) {
    handBackEventRowsInPlace(store, list, remove, nullptr);
}

std::int32_t DrawUnusedGroupId(const GroupTreeModel& tree) {
    return DrawUnusedId(tree, &GroupTreeModel::GetGroupId, DrawIdentifier);
}

namespace {

bool saveEvents(EventStore& store, const EventViews& views) {
    // The rows go in among the array's events for the store and come out
    // again after it: the array itself is never copied.
    std::vector<bool> fromLists;
    GatherEvents(store, views, &fromLists);
    const bool ok = SerializeEventsFile(store, true);
    if (!fromLists.empty()) {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < store.events.size(); ++i) {
            if (fromLists[i]) continue;
            if (kept != i) store.events[kept] = std::move(store.events[i]);
            ++kept;
        }
        store.events.erase(store.events.begin() + static_cast<std::ptrdiff_t>(kept), store.events.end());
    }
    return ok;
}

}  // namespace

void GatherEvents(EventStore& store, const EventViews& views, std::vector<bool>* fromLists) {
    if (views.eventsList) {
        // Rows of the Events view belong to the group selected in its tree.
        const NodeHandle group = views.eventsGroups ? views.eventsGroups->GetSelectedItem() : kNoNode;
        const std::int32_t groupId = group != kNoNode ? views.eventsGroups->GetGroupId(group) : 0;
        handBackEventRows(store, *views.eventsList, group != kNoNode ? &groupId : nullptr, true, false,
                          fromLists);
    }
    if (views.todayList) handBackEventRowsInPlace(store, *views.todayList, false, fromLists);
    // The tree is the live copy of the groups whichever view is current: a
    // group moved or renamed before the Today view was shown is kept too.
    if (views.eventsGroups) FillEventGroups(*views.eventsGroups, store.groups);
}

bool SaveEventsFromEventsView(EventStore& store, int currentView, const EventViews& views) {
    if (currentView == kTodayView) return true;  // the Today view holds the live rows
    return saveEvents(store, views);
}

bool SaveEventsFromTodayView(EventStore& store, int currentView, const EventViews& views) {
    if (currentView == kEventsView) return true;
    return saveEvents(store, views);
}

}  // namespace veltrin
