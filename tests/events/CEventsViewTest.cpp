#include <QApplication>
#include <QPlainTextEdit>
#include <QTimer>
#include <gtest/gtest.h>

#include "controls/CGroupTree.h"
#include "controls/GroupTreeCommands.h"
#include "events/CEventDialog.h"
#include "events/CEventList.h"
#include "events/CEventsView.h"
#include "events/Countdown.h"
#include "settings/AppSettings.h"
#include "settings/ViewIndex.h"
#include "support/Fakes.h"

namespace veltrin {
namespace {

class EventsView : public ::testing::Test {
protected:
    EventsView() {
        settings.currentView = kEventsView;
        store.groups = {{0, "Work", 0, 0, 1, 11}, {1, "Sub", 1, 0, 0, 12}, {-1, "Home", 2, 0, 0, 13}};
        for (auto [name, group] : {std::pair{"Report", 11}, {"Review", 11}, {"Nested", 12}, {"Garden", 13}}) {
            EventItem e;
            e.name = name;
            e.actual = 1;
            e.priority = 4;
            e.details.groupId = group;
            e.details.comment = std::string("about ") + name;
            store.events.push_back(e);
        }
    }
    EventStore loaded() {
        EventStore back;
        EXPECT_TRUE(SerializeEventsFile(back, false));
        return back;
    }
    std::vector<std::string> rowNames(CEventsView& v) {
        std::vector<std::string> names;
        GroupTreeModel& list = v.eventList()->model();
        for (NodeHandle r = list.GetNextItem(kRootNode, kFirstChild); r;
             r = list.GetNextItem(r, kNextSibling))
            names.push_back(list.GetItemText(r, kEventNameColumn));
        return names;
    }
    NodeHandle group(CEventsView& v, const char* name) {
        GroupTreeModel& t = v.groupTree()->model();
        for (NodeHandle n = t.GetNextItem(kRootNode, kFirstChild); n; n = t.NextInPreorder(n))
            if (t.GetItemText(n, 0) == name) return n;
        return kNoNode;
    }

    test::ProgramFolder folder;
    AppSettings settings;
    EventStore store;
};

TEST_F(EventsView, ShowsTheCurrentGroupsEventsAndSwitchingBackKeepsEveryField) {
    CEventsView v(store, settings);
    EXPECT_EQ(rowNames(v), (std::vector<std::string>{"Report", "Review"}));
    EXPECT_EQ(store.events.size(), 2u);
    GroupTreeModel& list = v.eventList()->model();
    const NodeHandle review = list.GetNextItem(list.GetNextItem(kRootNode, kFirstChild), kNextSibling);
    list.SelectItem(review, -1);
    v.commentBox()->setPlainText("changed");
    list.SetCheck(review, kEventNameColumn, 0);
    list.SetBold(review, 1);
    list.SetItemText(review, kEventPriorityColumn, "7 of 10");
    v.groupTree()->model().SelectItem(group(v, "Home"), 0);
    EXPECT_EQ(rowNames(v), std::vector<std::string>{"Garden"});
    v.groupTree()->model().SelectItem(group(v, "Work"), 0);
    ASSERT_EQ(rowNames(v), (std::vector<std::string>{"Report", "Review"}));
    const EventItem back = EventItemFromRow(list, list.GetSelectedItem(), true);
    EXPECT_EQ(back.name, "Review");
    EXPECT_EQ(back.actual, 0);
    EXPECT_EQ(back.bold, 1);
    EXPECT_EQ(back.priority, 7);
    EXPECT_EQ(back.details.comment, "changed");
    EXPECT_EQ(v.commentBox()->toPlainText(), "changed");
}

TEST_F(EventsView, EventCommandsSayWhatIsMissingAndRemoveSavesAfterEitherAnswer) {
    CEventsView v(store, settings);
    GroupTreeModel& list = v.eventList()->model();
    list.SelectItem(kRootNode, -1);
    v.runEventCommand(CEventsView::kEditEvent);
    v.runEventCommand(CEventsView::kRemoveEvent);
    v.runEventCommand(CEventsView::kEventUp);
    EXPECT_EQ(folder.messages.texts(), std::vector<std::string>(3, "No event item selected!"));
    EXPECT_EQ(folder.messages.shown[0].caption, "Veltrin");
    EXPECT_EQ(v.commentBox()->toPlainText(), "");

    folder.messages.shown.clear();
    list.SelectItem(list.GetNextItem(kRootNode, kFirstChild), -1);
    folder.messages.answers = {Messages::Answer::No};
    v.runEventCommand(CEventsView::kRemoveEvent);
    ASSERT_EQ(folder.messages.shown.size(), 1u);
    EXPECT_EQ(folder.messages.shown[0].text, "Are you sure to remove 'Report' event ?");
    EXPECT_EQ(folder.messages.shown[0].caption, "Event removing...");
    EXPECT_EQ(loaded().events.size(), 4u) << "No still writes the file";
    v.runEventCommand(CEventsView::kRemoveEvent);
    EXPECT_EQ(rowNames(v), std::vector<std::string>{"Review"});
    EXPECT_EQ(loaded().events.size(), 3u);

    v.runEventCommand(CEventsView::kEventDown);  // the last row stays
    EXPECT_EQ(rowNames(v), std::vector<std::string>{"Review"});
}

TEST_F(EventsView, NewEventGoesAfterTheSelectedRowAndIsSavedAtOnce) {
    CEventsView v(store, settings);
    QTimer::singleShot(0, [] {
        auto* d = qobject_cast<CEventDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(d);
        EXPECT_EQ(d->windowTitle(), "Editing 'New event' event...");
        d->accept();
    });
    v.runEventCommand(CEventsView::kNewEvent);
    EXPECT_EQ(rowNames(v), (std::vector<std::string>{"Report", "New event", "Review"}));
    const EventStore back = loaded();
    ASSERT_EQ(back.events.size(), 5u);
    GroupTreeModel& list = v.eventList()->model();
    const EventDetails d = list.GetEventRecord<EventDetails>(list.GetSelectedItem());
    EXPECT_EQ(d.groupId, 11);
    EXPECT_EQ(d.schedule.lastCheck, folder.clock.t.load());
    EXPECT_EQ(list.GetItemText(list.GetSelectedItem(), kEventPriorityColumn), "1 of 10");
}

TEST_F(EventsView, DeletingAGroupTakesTheEventsOfItsWholeSubtree) {
    CEventsView v(store, settings);
    v.runGroupCommand(kCmdDeleteItem);
    EXPECT_EQ(folder.messages.shown.at(0).text, "Are you sure to remove 'Work' group ?");
    EXPECT_EQ(folder.messages.shown.at(0).caption, "Group removing...");
    const EventStore back = loaded();
    ASSERT_EQ(back.groups.size(), 1u);
    EXPECT_EQ(back.groups[0].name, "Home");
    ASSERT_EQ(back.events.size(), 1u);
    EXPECT_EQ(back.events[0].name, "Garden");

    v.groupTree()->model().SelectItem(kRootNode, 0);
    folder.messages.shown.clear();
    v.runGroupCommand(kCmdDeleteItem);
    v.runEventCommand(CEventsView::kNewEvent);
    EXPECT_EQ(folder.messages.texts(), std::vector<std::string>(2, "No group selected!"));
}

TEST_F(EventsView, HandingTheListBackKeepsEveryEventOnce) {
    CEventsView v(store, settings);
    EXPECT_TRUE(v.holdsListRows());
    v.commitList();
    EXPECT_FALSE(v.holdsListRows());
    EXPECT_EQ(store.events.size(), 4u);
    v.viewShown(60000);
    EXPECT_TRUE(v.holdsListRows());
    EXPECT_EQ(store.events.size(), 2u);
    v.setTickPeriod(1000);
    EXPECT_EQ(v.tickTimer()->interval(), 1000);
    v.viewHidden();
    EXPECT_FALSE(v.tickTimer()->isActive());
}

}  // namespace
}  // namespace veltrin
