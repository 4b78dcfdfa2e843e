#include "events/EventList.h"

#include <algorithm>

#include "events/Countdown.h"
#include "events/ReminderDispatcher.h"
#include "events/Schedule.h"
#include "platform/Platform.h"
#include "tree/ColumnWidths.h"

namespace veltrin {

EventListStyles SetUpEventList(GroupTreeModel& list) {
    list.SetTreeColumn(-1);
    list.InsertColumn(kEventNameColumn, "Event Name", ColumnAlign::Left, 200);
    list.InsertColumn(kEventTimeColumn, "Time", ColumnAlign::Left, 150);
    list.InsertColumn(kEventLeftColumn, "Left", ColumnAlign::Left, 150);
    list.InsertColumn(kEventPriorityColumn, "Priority", ColumnAlign::Centre, 80);
    list.SetFullRowSelect(true);
    EventListStyles styles;
    styles.name = list.AddCellStyle(kStyleEditable | kStyleCheck);
    styles.priority = list.AddCellStyle(kStyleDropDown | kStyleButton);
    return styles;
}

void FitEventColumns(GroupTreeModel& list, int listWidth, const EventColumnNeeds& needs) {
    const int share = std::max(0, listWidth / 3 - 30);
    const std::vector<int> widths =
        FitColumnsToTexts({share, share, share, 74}, std::vector<int>(needs.begin(), needs.end()));
    for (int c = kEventNameColumn; c <= kEventPriorityColumn; ++c)
        list.SetColumnWidth(c, widths[static_cast<std::size_t>(c)]);
}

void FillPriorityChoices(GroupTreeModel& list, int priorityStyle) {
    if (!list.GetCellChoices(priorityStyle).empty()) return;
    for (std::int32_t p = 1; p <= 10; ++p) list.AddCellChoice(priorityStyle, PriorityText(p), p);
}

bool RowIsActual(const GroupTreeModel& list, NodeHandle row) {
    return list.GetCheck(row, kEventNameColumn) == 1;
}

void ResetDueTracking(EventSchedule& s, std::int64_t now) {
    s.nextDue = ClampToTime32(NextOccurrence(s, now));
    s.lastCheck = ClampToTime32(now);
}

bool UpdateEventRow(GroupTreeModel& list, NodeHandle row, const EventTickContext& context, std::int64_t now) {
    const EventDetails* held = list.PeekEventRecord<EventDetails>(row);
    if (!held) return false;
    bool fired = false;
    if (RowIsActual(list, row)) {
        const std::int64_t next = NextOccurrence(held->schedule, now);
        const EventSchedule& s = held->schedule;
        if (context.checksDue && list.GetItemText(row, kEventLeftColumn) != kExpiredText &&
            now >= s.nextDue && s.nextDue > s.lastCheck) {
            EventDetails d = *held;
            d.schedule.nextDue = ClampToTime32(next);
            d.schedule.lastCheck = ClampToTime32(now);
            list.SetEventRecord(row, d);  // stored before Fire, so a window that runs events sees it moved on
            fired = true;
            if (context.dispatcher)
                context.dispatcher->Fire(list.GetItemText(row, kEventNameColumn), context.icon, d);
        }
        list.SetItemText(row, kEventTimeColumn, DueTimeText(next));
        const std::string left = LeftText(next - now, context.showSeconds);
        if (list.GetItemText(row, kEventLeftColumn) != left) list.SetItemText(row, kEventLeftColumn, left);
    } else {
        list.SetItemText(row, kEventTimeColumn, kNotActualText);
        list.SetItemText(row, kEventLeftColumn, kNotActualText);
    }
    list.SetCellStyle(row, kEventNameColumn, context.styles.name);
    list.SetCellStyle(row, kEventPriorityColumn, context.styles.priority);
    return fired;
}

void TickEventList(GroupTreeModel& list, const EventTickContext& context) {
    list.SetRedraw(false);
    for (NodeHandle r = list.GetNextItem(kRootNode, kFirstChild); r != kNoNode;
         r = list.GetNextItem(r, kNextSibling))
        UpdateEventRow(list, r, context, clock().now());
    list.SetRedraw(true);
}

bool HandleEventListNotify(GroupTreeModel& list, const TreeNotification& n, const EventTickContext& context,
                           unsigned* answer) {
    switch (n.code) {
    case kNotifyCheckClicked:
    case kNotifyCellButton:
        if (n.column != kEventNameColumn || n.node == kNoNode) return false;
        list.SetCheck(n.node, kEventNameColumn, n.check);
        UpdateEventRow(list, n.node, context, clock().now());
        *answer = kAnswerRefuse;  // toggled here already
        return true;
    case kNotifyDropDown:
        if (n.column != kEventPriorityColumn) return false;
        FillPriorityChoices(list, context.styles.priority);
        *answer = 0;
        return true;
    default: return false;
    }
}

}  // namespace veltrin
