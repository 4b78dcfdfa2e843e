#include "events/CEventsView.h"

#include <QPlainTextEdit>
#include <QTimer>
#include <algorithm>

#include "controls/CGroupTree.h"
#include "controls/CPopupMenu.h"
#include "controls/QtThemeIcons.h"
#include "events/CEventDialog.h"
#include "events/CEventList.h"
#include "events/Countdown.h"
#include "platform/Platform.h"
#include "settings/AppSettings.h"
#include "settings/ViewIndex.h"
#include "storage/Identifier.h"
#include "storage/QtStoredText.h"
#include "storage/StoredText.h"
#include "tree/GroupTreeCommands.h"

namespace veltrin {

CEventsView::CEventsView(EventStore& store, AppSettings& settings, QWidget* parent)
    : CTreeListView(QStringLiteral("Events"),
                    {{kNewEvent, "New..."},
                     {kEditEvent, "Edit..."},
                     {kRemoveEvent, "Remove..."},
                     {kEventUp, "Move up"},
                     {kEventDown, "Move down"}},
                    parent),
      store_(store),
      settings_(settings) {
    setObjectName(QStringLiteral("CEventsView"));

    list_ = new CEventList(this);
    list_->setObjectName(QStringLiteral("events"));
    list_->model().SetControlId(1022);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this, &CEventsView::showListMenu);
    setRecordList(list_);

    connect(commentBox(), &QPlainTextEdit::textChanged, this, [this] {
        if (settingComment_) return;
        const NodeHandle row = list_->model().GetSelectedItem();
        if (row == kNoNode) {
            settingComment_ = true;
            commentBox()->clear();
            settingComment_ = false;
            return;
        }
        EventDetails d = list_->model().GetEventRecord<EventDetails>(row);
        d.comment = StoredAfterEdit(commentBox()->toPlainText(), commentShown_, d.comment);
        list_->model().SetEventRecord(row, d);
    });

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("tick"));
    connect(timer_, &QTimer::timeout, this, &CEventsView::tick);

    groupTree()->SetListener(this);
    list_->SetListener(this);
    // At a start on another view the rows would be handed straight back:
    // they are taken when the view is first shown.
    rowsDeferred_ = settings_.currentView != kEventsView;
    buildGroupTree();
    rowsDeferred_ = false;
}

void CEventsView::buildGroupTree() {
    GroupTreeModel& tree = groupTree()->model();
    const NodeHandle current = BuildEventGroupTree(tree, store_.groups);
    tree.SetAllCollapsed(false);
    for (NodeHandle n = tree.GetNextItem(kRootNode, kFirstChild); n != kNoNode; n = tree.NextInPreorder(n))
        tree.SetCellStyle(n, 0, groupStyle());
    if (current != kNoNode) tree.SelectItem(current, 0, true);
}

void CEventsView::showStoredGroups(const std::function<void()>& replaceStore) {
    commitList();
    if (replaceStore) replaceStore();
    GroupTreeModel& tree = groupTree()->model();
    groupTree()->FinishEdit();
    groupTree()->SetListener(nullptr);
    shownGroup_ = kNoNode;
    while (NodeHandle n = tree.GetNextItem(kRootNode, kFirstChild)) tree.DeleteItem(n);
    groupTree()->SetListener(this);
    buildGroupTree();
    if (!holdsListRows()) fillList();
    saveNow();
}

CEventsView::~CEventsView() {
    // The store outlives the view: its rows go back there.
    commitList();
    groupTree()->SetListener(nullptr);
    list_->SetListener(nullptr);
}

// ---------------------------------------------------------------- list and store

void CEventsView::fillList() {
    const NodeHandle group = groupTree()->model().GetSelectedItem();
    shownGroup_ = group;
    if (group == kNoNode) return;
    const std::int32_t id = groupTree()->model().GetGroupId(group);
    GroupTreeModel& list = list_->model();
    const std::int64_t now = clock().now();
    const EventTickContext context = tickContext();
    NodeHandle current = kNoNode;
    list.SetRedraw(false);
    TakeEventsIntoList(
        store_, list, [id](const EventItem& e) { return e.details.groupId == id; }, list_->styles().name,
        list_->styles().priority,
        [&](NodeHandle row, const EventItem& e) {
            // The stored due tracking stays: the reminder engine watched
            // these events while they were in the store.
            if (e.isCurrent && current == kNoNode) current = row;
            UpdateEventRow(list, row, context, now);
        });
    list.SetRedraw(true);
    if (current == kNoNode) current = list.GetNextItem(kRootNode, kFirstChild);
    if (current != kNoNode) list.SelectItem(current, -1, true);
    showComment();
    emit eventsChanged();
}

void CEventsView::commitList() {
    list_->FinishEdit();  // a name being typed goes back with its row
    GroupTreeModel& groups = groupTree()->model();
    const bool known = shownGroup_ != kNoNode && groups.IsValid(shownGroup_);
    const std::int32_t id = known ? groups.GetGroupId(shownGroup_) : 0;
    HandBackEventRows(store_, list_->model(), known ? &id : nullptr, true, true);
    showComment();
}

bool CEventsView::holdsListRows() const { return list_->model().GetChildCount(kRootNode) > 0; }

void CEventsView::showGroup(NodeHandle group) {
    if (rowsDeferred_ || (group == shownGroup_ && holdsListRows())) return;
    commitList();
    fillList();
}

EventViews CEventsView::saveState() {
    list_->TakeEdit();
    groupTree()->TakeEdit();
    EventViews views;
    views.eventsList = &list_->model();
    views.eventsGroups = &groupTree()->model();
    return views;
}

void CEventsView::saveNow() { SaveEventsFromEventsView(store_, settings_.currentView, saveState()); }

int CEventsView::groupIcon(std::int32_t groupId) const {
    const GroupTreeModel& tree = groupTree()->model();
    for (NodeHandle n = tree.GetNextItem(kRootNode, kFirstChild); n != kNoNode; n = tree.NextInPreorder(n))
        if (tree.GetGroupId(n) == groupId) return tree.GetItemImage(n, 0);
    return -1;
}

void CEventsView::showComment() {
    const NodeHandle row = list_->model().GetSelectedItem();
    commentShown_ =
        row != kNoNode ? FromStored(list_->model().GetEventRecord<EventDetails>(row).comment) : QString();
    settingComment_ = true;
    commentBox()->setPlainText(commentShown_);
    settingComment_ = false;
}

unsigned CEventsView::OnTreeNotify(const TreeNotification& n) {
    if (n.sender == &groupTree()->model()) {
        if (n.code == kNotifySelectionChanged) showGroup(n.node);
        return 0;
    }
    unsigned answer = 0;
    if (HandleEventListNotify(list_->model(), n, tickContext(), &answer)) {
        emit eventsChanged();
        return answer;
    }
    if (n.code == kNotifySelectionChanged) showComment();
    return 0;
}

// ---------------------------------------------------------------- timer

EventTickContext CEventsView::tickContext() const { return list_->tickContext(settings_.showSeconds != 0); }

void CEventsView::tick() { TickEventList(list_->model(), tickContext()); }

void CEventsView::viewShown(int tickMs) {
    listPlaced();  // seconds may have come or gone while hidden
    if (!holdsListRows()) fillList();
    if (tickMs > 0) timer_->start(tickMs);
}

void CEventsView::viewHidden() { timer_->stop(); }

void CEventsView::setTickPeriod(int tickMs) {
    timer_->stop();
    if (tickMs <= 0) return;
    listPlaced();
    timer_->start(tickMs);
    tick();
}

// ---------------------------------------------------------------- commands

void CEventsView::giveNewGroupId(NodeHandle node) {
    GroupTreeModel& tree = groupTree()->model();
    tree.SetGroupId(node, DrawUnusedGroupId(tree));
}

void CEventsView::removeGroup() {
    GroupTreeModel& tree = groupTree()->model();
    const NodeHandle node = groupToRemove();
    if (node == kNoNode) return;
    // The events of the group and of every subgroup go with it.
    commitList();
    const std::vector<std::int32_t> ids = SubtreeIds(tree, node, &GroupTreeModel::GetGroupId);
    auto& events = store_.events;
    events.erase(std::remove_if(events.begin(), events.end(),
                                [&](const EventItem& e) {
                                    return std::find(ids.begin(), ids.end(), e.details.groupId) != ids.end();
                                }),
                 events.end());
    shownGroup_ = kNoNode;
    tree.DeleteItem(node);
    if (!holdsListRows()) fillList();
    saveNow();
}

void CEventsView::listCommand(int command) {
    switch (command) {
    case kNewEvent: newEvent(); break;
    case kEditEvent: editEvent(); break;
    case kRemoveEvent: removeEvent(); break;
    case kEventUp:
    case kEventDown: moveSelectedEvent(command); break;
    default: break;
    }
}

void CEventsView::newEvent() {
    const NodeHandle group = groupTree()->model().GetSelectedItem();
    if (group == kNoNode) {
        messages().fileError("No group selected!");
        return;
    }
    EventItem item;
    item.name = "New event";
    item.actual = 1;
    item.bold = 0;
    item.priority = 1;
    item.details = NewEventDetails(groupTree()->model().GetGroupId(group), DrawIdentifier(), clock().now());
    CEventDialog dialog(item, settings_.priorityColour, this);
    if (dialog.exec() != QDialog::Accepted) return;
    item = dialog.item();
    const std::int64_t now = clock().now();
    ResetDueTracking(item.details.schedule, now);
    GroupTreeModel& list = list_->model();
    const NodeHandle selected = list.GetSelectedItem();
    const NodeHandle row = AddEventRow(list, item, list_->styles().name, list_->styles().priority,
                                       selected != kNoNode ? selected : kInsertLast);
    UpdateEventRow(list, row, tickContext(), now);
    list.SelectItem(row, -1, true);
    showComment();
    saveNow();
    emit eventsChanged();
}

void CEventsView::editEvent() {
    GroupTreeModel& list = list_->model();
    const NodeHandle row = list.GetSelectedItem();
    if (row == kNoNode) {
        messages().fileError("No event item selected!");
        return;
    }
    if (groupTree()->model().GetSelectedItem() == kNoNode) {
        messages().fileError("No group selected!");
        return;
    }
    CEventDialog dialog(EventItemFromRow(list, row, true), settings_.priorityColour, this);
    if (dialog.exec() != QDialog::Accepted || !list.IsValid(row)) return;
    EventItem item = dialog.item();
    const std::int64_t now = clock().now();
    ResetDueTracking(item.details.schedule, now);
    SetEventRow(list, row, item);
    showComment();
    UpdateEventRow(list, row, tickContext(), now);
    list.SelectItem(row, -1, true);
    saveNow();
    emit eventsChanged();
}

void CEventsView::removeEvent() {
    GroupTreeModel& list = list_->model();
    const NodeHandle row = list.GetSelectedItem();
    if (row == kNoNode) {
        messages().fileError("No event item selected!");
        return;
    }
    const std::string name = StoredTextToUtf8(list.GetItemText(row, kEventNameColumn));
    if (confirm("Are you sure to remove '" + name + "' event ?", "Event removing...")) list.DeleteItem(row);
    saveNow();  // also after No
}

void CEventsView::moveSelectedEvent(int command) {
    if (list_->model().GetSelectedItem() == kNoNode) {
        messages().fileError("No event item selected!");
        return;
    }
    MoveSelected(list_->model(), command == kEventUp ? kTreeMoveUp : kTreeMoveDown);
}

// ---------------------------------------------------------------- menus

void CEventsView::showListMenu(const QPoint& pos) {
    CPopupMenu menu(this);
    const QIcon icon = NumberedIcon(286);
    menu.addCommand(kNewEvent, QStringLiteral("New event"), icon);
    menu.addCommand(kEditEvent, QStringLiteral("Edit event"), icon);
    menu.addCommand(kRemoveEvent, QStringLiteral("Remove event"), icon);
    menu.addSeparator();
    menu.addCommand(kEventUp, QStringLiteral("Move up"), icon);
    menu.addCommand(kEventDown, QStringLiteral("Move down"), icon);
    runListCommand(menu.execAt(list_->mapToGlobal(pos)));
}

// ---------------------------------------------------------------- looks

void CEventsView::setListColours(const ListColours& colours) {
    CTreeListView::setListColours(colours);
    list_->setListColours(colours);
}

void CEventsView::listPlaced() { list_->fitColumns(list_->width(), settings_.showSeconds != 0); }

}  // namespace veltrin
