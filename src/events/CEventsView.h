#pragma once

#include <QPixmap>
#include <functional>
#include <vector>

#include "controls/CTreeListView.h"
#include "events/EventList.h"
#include "events/EventTrees.h"
#include "tree/GroupTreeModel.h"

class QTimer;

namespace veltrin {

struct AppSettings;
class CEventList;

// The Events view of the main window: the group tree with its comment box on
// the left, the selected group's events on the right.
class CEventsView : public CTreeListView, private GroupTreeListener {
    Q_OBJECT
public:
    // Commands of the event buttons and the list's menu.
    enum Command { kNewEvent = 308, kEditEvent = 309, kRemoveEvent = 310, kEventUp = 311, kEventDown = 312 };
    static constexpr int kTickTimerId = 290;

    CEventsView(EventStore& store, AppSettings& settings, QWidget* parent = nullptr);
    ~CEventsView() override;

    // SaveAll's view of the event list and group tree (eventsList and
    // eventsGroups only); the view first takes any edit in progress into
    // its rows, leaving an open cell editor open.
    EventViews saveState();
    bool holdsListRows() const;
    // Hands the list's rows back to the store, emptying the list.
    void commitList();
    // After events and groups were added to the store (an import, which
    // first took the tree's groups into it): shows the store's groups again
    // with the same group selected, and stores the file. replaceStore, when
    // given, runs once the rows are back in the store: it may put another
    // store in its place (the file as a sync left it).
    void showStoredGroups(const std::function<void()>& replaceStore = {});
    // A new tick period: restarts the tick and ticks once at once; 0 stops it.
    void setTickPeriod(int tickMs);

    void viewShown(int tickMs) override;
    void viewHidden() override;
    void setListColours(const ListColours& colours) override;

    // The event buttons' and the list menu's commands.
    void runEventCommand(int command) { runListCommand(command); }
    // One tick of the view timer.
    void tick();

    CEventList* eventList() const { return list_; }
    QTimer* tickTimer() const { return timer_; }
    // The group icons, and which of them the group with this id has (-1
    // when no group has it).
    using CTreeListView::groupIcons;
    int groupIcon(std::int32_t groupId) const;

signals:
    // Events were listed, added, edited or checked: their reminders may be
    // due at another time now.
    void eventsChanged();

protected:
    void listCommand(int command) override;
    void listPlaced() override;

private:
    unsigned OnTreeNotify(const TreeNotification& n) override;
    void fillList();
    // The group tree from the store's groups; selects the one stored as current.
    void buildGroupTree();
    void showGroup(NodeHandle group);
    void showComment();
    void saveNow();
    const char* newGroupName() const override { return "New event group"; }
    void giveNewGroupId(NodeHandle node) override;
    void removeGroup() override;
    void groupsChanged() override { saveNow(); }
    void newEvent();
    void editEvent();
    void removeEvent();
    void moveSelectedEvent(int command);
    // What every update of a row needs.
    EventTickContext tickContext() const;
    void showListMenu(const QPoint& pos);

    EventStore& store_;
    AppSettings& settings_;
    CEventList* list_;
    QTimer* timer_;
    NodeHandle shownGroup_ = kNoNode;
    bool rowsDeferred_ = false;  // building at a start on another view
    QString commentShown_;
    bool settingComment_ = false;
};

}  // namespace veltrin
