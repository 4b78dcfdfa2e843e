#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

#include "controls/CGroupDialog.h"
#include "controls/CGroupTree.h"
#include "controls/CPictureButton.h"
#include "controls/CSkinButton.h"
#include "controls/CToolStrip.h"
#include "events/CEventDialog.h"
#include "events/CEventList.h"
#include "events/CEventsView.h"
#include "events/Countdown.h"
#include "settings/AppSettings.h"
#include "settings/ViewIndex.h"
#include "support/Fakes.h"
#include "support/Looks.h"
#include "support/ModalAnswer.h"
#include "support/ScopedZone.h"
#include "tree/GroupTreeCommands.h"

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

    // The names of the tree in pre-order, a child's indented by its depth.
    std::vector<std::string> groupNames(CEventsView& v) {
        std::vector<std::string> names;
        GroupTreeModel& t = v.groupTree()->model();
        for (NodeHandle n = t.GetNextItem(kRootNode, kFirstChild); n; n = t.NextInPreorder(n))
            names.push_back(std::string(static_cast<std::size_t>(t.GetDepth(n) - 1), ' ') +
                            t.GetItemText(n, 0));
        return names;
    }
    NodeHandle row(CEventsView& v, const char* name) {
        GroupTreeModel& list = v.eventList()->model();
        for (NodeHandle r = list.GetNextItem(kRootNode, kFirstChild); r;
             r = list.GetNextItem(r, kNextSibling))
            if (list.GetItemText(r, kEventNameColumn) == name) return r;
        return kNoNode;
    }
    // Answers the next modal dialog of type D, filled in by fill.
    template <class D>
    static void answer(std::function<void(D&)> fill) {
        test::WhenModalOpens<D>([fill](D* d) { fill(*d); });
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

// Names from older files hold Windows-1252 bytes; the question shows them as
// text, as the group question does, and Yes removes that very event.
TEST_F(EventsView, TheRemovalQuestionShowsAStoredNameDecoded) {
    store.events[0].name = "Caf\xE9 meeting";
    store.events[1].name = "Cr\xC3\xA8me order";  // already UTF-8: shown as it is
    CEventsView v(store, settings);
    GroupTreeModel& list = v.eventList()->model();
    folder.messages.answers = {Messages::Answer::No, Messages::Answer::Yes};
    list.SelectItem(row(v, "Caf\xE9 meeting"), -1);
    v.runEventCommand(CEventsView::kRemoveEvent);
    list.SelectItem(row(v, "Cr\xC3\xA8me order"), -1);
    v.runEventCommand(CEventsView::kRemoveEvent);
    EXPECT_EQ(folder.messages.texts(),
              (std::vector<std::string>{"Are you sure to remove 'Caf\xC3\xA9 meeting' event ?",
                                        "Are you sure to remove 'Cr\xC3\xA8me order' event ?"}));
    EXPECT_EQ(rowNames(v), std::vector<std::string>{"Caf\xE9 meeting"}) << "the stored bytes stay";
    const EventStore back = loaded();
    EXPECT_EQ(back.events.size(), 3u);
    EXPECT_EQ(std::count_if(back.events.begin(), back.events.end(),
                            [](const EventItem& e) { return e.name == "Caf\xE9 meeting"; }),
              1);
}

TEST_F(EventsView, NewEventGoesAfterTheSelectedRowAndIsSavedAtOnce) {
    CEventsView v(store, settings);
    test::WhenModalOpens<CEventDialog>([](CEventDialog* d) {
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
    v.runGroupCommand(kTreeDeleteItem);
    EXPECT_EQ(folder.messages.shown.at(0).text, "Are you sure to remove 'Work' group ?");
    EXPECT_EQ(folder.messages.shown.at(0).caption, "Group removing...");
    const EventStore back = loaded();
    ASSERT_EQ(back.groups.size(), 1u);
    EXPECT_EQ(back.groups[0].name, "Home");
    ASSERT_EQ(back.events.size(), 1u);
    EXPECT_EQ(back.events[0].name, "Garden");

    v.groupTree()->model().SelectItem(kRootNode, 0);
    folder.messages.shown.clear();
    v.runGroupCommand(kTreeDeleteItem);
    v.runEventCommand(CEventsView::kNewEvent);
    EXPECT_EQ(folder.messages.texts(), std::vector<std::string>(2, "No group selected!"));
}

TEST_F(EventsView, DeletingAGroupTwoLevelsDeepTakesEveryEventBelowIt) {
    store.groups = {{0, "Work", 0, 0, 0, 11},
                    {1, "Sub", 1, 0, 0, 12},
                    {1, "Deeper", 1, 0, 1, 14},
                    {-2, "Home", 2, 0, 0, 13}};
    EventItem deep;
    deep.name = "Deep";
    deep.details.groupId = 14;
    store.events.push_back(deep);
    CEventsView v(store, settings);
    EXPECT_EQ(rowNames(v), std::vector<std::string>{"Deep"});
    v.groupTree()->model().SelectItem(group(v, "Work"), 0);
    folder.messages.answers = {Messages::Answer::No};
    v.runGroupCommand(kTreeDeleteItem);
    EXPECT_EQ(groupNames(v), (std::vector<std::string>{"Work", " Sub", "  Deeper", "Home"}));
    EXPECT_EQ(rowNames(v), (std::vector<std::string>{"Report", "Review"})) << "No keeps the group";

    v.runGroupCommand(kTreeDeleteItem);
    EXPECT_EQ(groupNames(v), std::vector<std::string>{"Home"});
    const EventStore back = loaded();
    ASSERT_EQ(back.events.size(), 1u);
    EXPECT_EQ(back.events[0].name, "Garden");
    ASSERT_EQ(back.groups.size(), 1u);
    EXPECT_EQ(back.groups[0].levelStep, 0);
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

// At a start on another view the rows would only be handed back: the list
// takes them when the view is first shown, and a save meanwhile writes every
// event from the store.
TEST_F(EventsView, AtAStartOnAnotherViewTheRowsAreTakenOnlyWhenShown) {
    settings.currentView = kTodayView;
    CEventsView v(store, settings);
    EXPECT_FALSE(v.holdsListRows());
    EXPECT_EQ(store.events.size(), 4u);
    settings.currentView = kContactsView;
    ASSERT_TRUE(SaveEventsFromEventsView(store, settings.currentView, v.saveState()));
    EXPECT_EQ(loaded().events.size(), 4u);

    settings.currentView = kEventsView;
    v.viewShown(60000);
    EXPECT_EQ(rowNames(v), (std::vector<std::string>{"Report", "Review"}));
    EXPECT_EQ(store.events.size(), 2u);
    v.groupTree()->model().SelectItem(group(v, "Home"), 0);
    EXPECT_EQ(rowNames(v), std::vector<std::string>{"Garden"});
    ASSERT_TRUE(SaveEventsFromEventsView(store, settings.currentView, v.saveState()));
    EXPECT_EQ(loaded().events.size(), 4u);
}

TEST_F(EventsView, GroupsAreInsertedAndEditedThroughTheGroupDialogAndSavedAtOnce) {
    CEventsView v(store, settings);
    v.groupTree()->model().SelectItem(group(v, "Work"), 0);
    answer<CGroupDialog>([](CGroupDialog& d) {
        EXPECT_EQ(d.nameEdit()->text(), "New event group");
        EXPECT_FALSE(d.boldBox()->isChecked());
        EXPECT_EQ(d.iconList()->currentRow(), 0);
        d.nameEdit()->setText("Errands");
        d.boldBox()->setChecked(true);
        d.iconList()->setCurrentRow(2);
        d.accept();
    });
    v.runGroupCommand(kTreeInsertAfter);
    EXPECT_EQ(groupNames(v), (std::vector<std::string>{"Work", " Sub", "Errands", "Home"}));
    GroupTreeModel& t = v.groupTree()->model();
    const NodeHandle errands = group(v, "Errands");
    EXPECT_EQ(t.GetSelectedItem(), errands);
    EXPECT_TRUE(rowNames(v).empty()) << "a new group holds no events";
    const std::int32_t errandsId = t.GetGroupId(errands);
    for (std::int32_t used : {11, 12, 13}) EXPECT_NE(errandsId, used);
    {
        const EventStore back = loaded();
        ASSERT_EQ(back.groups.size(), 4u);
        EXPECT_EQ(back.groups[2].name, "Errands");
        EXPECT_EQ(back.groups[2].bold, 1);
        EXPECT_EQ(back.groups[2].iconIndex, 2);
        EXPECT_EQ(back.groups[2].groupId, errandsId);
        EXPECT_EQ(back.groups[2].isCurrent, 1);
        EXPECT_EQ(back.events.size(), 4u) << "no event lost while the list was empty";
    }

    answer<CGroupDialog>([](CGroupDialog& d) {
        d.nameEdit()->setText("Shop");
        d.accept();
    });
    v.runGroupCommand(kTreeInsertChild);
    EXPECT_EQ(groupNames(v), (std::vector<std::string>{"Work", " Sub", "Errands", " Shop", "Home"}));

    answer<CGroupDialog>([](CGroupDialog& d) {
        EXPECT_EQ(d.nameEdit()->text(), "Shop");
        d.nameEdit()->setText("Shopping");
        d.boldBox()->setChecked(true);
        d.iconList()->setCurrentRow(1);
        d.accept();
    });
    v.runGroupCommand(kTreeEditItem);
    const NodeHandle shopping = group(v, "Shopping");
    ASSERT_NE(shopping, kNoNode);
    EXPECT_EQ(t.GetBold(shopping), 1);
    EXPECT_EQ(t.GetItemImage(shopping, 0), 1);
    EXPECT_EQ(loaded().groups[3].name, "Shopping");

    // Cancel changes nothing and writes nothing.
    const std::string before = test::readAll(folder.file("Events.dat"));
    answer<CGroupDialog>([](CGroupDialog& d) {
        d.nameEdit()->setText("Lost");
        d.reject();
    });
    v.runGroupCommand(kTreeEditItem);
    answer<CGroupDialog>([](CGroupDialog& d) { d.reject(); });
    v.runGroupCommand(kTreeInsertAfter);
    EXPECT_EQ(groupNames(v), (std::vector<std::string>{"Work", " Sub", "Errands", " Shopping", "Home"}));
    EXPECT_EQ(test::readAll(folder.file("Events.dat")), before);
    EXPECT_TRUE(folder.messages.shown.empty());
}

TEST_F(EventsView, GroupsMoveAmongTheirSiblingsAndKeepTheirEvents) {
    CEventsView v(store, settings);
    v.groupTree()->model().SelectItem(group(v, "Home"), 0);
    v.runGroupCommand(kTreeMoveUp);
    EXPECT_EQ(groupNames(v), (std::vector<std::string>{"Home", "Work", " Sub"}));
    v.runGroupCommand(kTreeMoveUp);  // the first stays
    EXPECT_EQ(groupNames(v), (std::vector<std::string>{"Home", "Work", " Sub"}));
    v.groupTree()->model().SelectItem(group(v, "Sub"), 0);
    v.runGroupCommand(kTreeMoveDown);  // an only child stays
    EXPECT_EQ(groupNames(v), (std::vector<std::string>{"Home", "Work", " Sub"}));
    EXPECT_EQ(rowNames(v), std::vector<std::string>{"Nested"});

    // Written with the next save, every event with its own group.
    ASSERT_TRUE(SaveEventsFromEventsView(store, settings.currentView, v.saveState()));
    const EventStore back = loaded();
    ASSERT_EQ(back.groups.size(), 3u);
    EXPECT_EQ(back.groups[0].name, "Home");
    EXPECT_EQ(back.groups[2].name, "Sub");
    EXPECT_EQ(back.groups[2].levelStep, 1);
    ASSERT_EQ(back.events.size(), 4u);
    for (const EventItem& e : back.events) {
        const std::int32_t expected = e.name == "Garden" ? 13 : e.name == "Nested" ? 12 : 11;
        EXPECT_EQ(e.details.groupId, expected) << e.name;
    }
}

TEST_F(EventsView, EditingAnEventWritesItBackAndSavesAtOnce) {
    CEventsView v(store, settings);
    GroupTreeModel& list = v.eventList()->model();
    list.SelectItem(row(v, "Review"), -1);
    folder.clock.t = 1'800'000'000;
    answer<CEventDialog>([](CEventDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Editing 'Review' event...");
        EXPECT_EQ(d.priorityList()->currentIndex(), 3);
        EXPECT_EQ(d.commentEdit()->toPlainText(), "about Review");
        d.nameEdit()->setText("Code review");
        d.boldBox()->setChecked(true);
        d.priorityList()->setCurrentIndex(8);
        d.kindButton(Daily)->click();
        d.commentEdit()->setPlainText("bring notes");
        d.accept();
    });
    v.runEventCommand(CEventsView::kEditEvent);
    const NodeHandle edited = row(v, "Code review");
    ASSERT_NE(edited, kNoNode);
    EXPECT_EQ(list.GetSelectedItem(), edited);
    EXPECT_EQ(list.GetItemText(edited, kEventPriorityColumn), "9 of 10");
    EXPECT_EQ(v.commentBox()->toPlainText(), "bring notes");
    const EventDetails d = list.GetEventRecord<EventDetails>(edited);
    EXPECT_EQ(d.schedule.kind, Daily);
    EXPECT_EQ(d.schedule.lastCheck, 1'800'000'000);
    EXPECT_GT(d.schedule.nextDue, d.schedule.lastCheck);
    EXPECT_NE(list.GetItemText(edited, kEventTimeColumn), kNotActualText);

    const EventStore back = loaded();
    ASSERT_EQ(back.events.size(), 4u);
    const auto it = std::find_if(back.events.begin(), back.events.end(),
                                 [](const EventItem& e) { return e.name == "Code review"; });
    ASSERT_NE(it, back.events.end());
    EXPECT_EQ(it->bold, 1);
    EXPECT_EQ(it->priority, 9);
    EXPECT_EQ(it->details.comment, "bring notes");
    EXPECT_EQ(it->details.schedule.kind, Daily);

    // Cancel leaves the row and the file as they were.
    const std::string before = test::readAll(folder.file("Events.dat"));
    answer<CEventDialog>([](CEventDialog& d) {
        d.nameEdit()->setText("Lost");
        d.reject();
    });
    v.runEventCommand(CEventsView::kEditEvent);
    EXPECT_EQ(row(v, "Lost"), kNoNode);
    EXPECT_EQ(test::readAll(folder.file("Events.dat")), before);
}

TEST_F(EventsView, EventsMoveUpAndDownAndTheNewOrderIsSavedNext) {
    CEventsView v(store, settings);
    GroupTreeModel& list = v.eventList()->model();
    list.SelectItem(row(v, "Review"), -1);
    v.runEventCommand(CEventsView::kEventUp);
    EXPECT_EQ(rowNames(v), (std::vector<std::string>{"Review", "Report"}));
    v.runEventCommand(CEventsView::kEventUp);  // the first row stays
    EXPECT_EQ(rowNames(v), (std::vector<std::string>{"Review", "Report"}));
    EXPECT_EQ(list.GetSelectedItem(), row(v, "Review"));
    v.runEventCommand(CEventsView::kEventDown);
    EXPECT_EQ(rowNames(v), (std::vector<std::string>{"Report", "Review"}));
    v.runEventCommand(CEventsView::kEventUp);
    EXPECT_TRUE(folder.messages.shown.empty());

    ASSERT_TRUE(SaveEventsFromEventsView(store, settings.currentView, v.saveState()));
    std::vector<std::string> saved;
    for (const EventItem& e : loaded().events)
        if (e.details.groupId == 11) saved.push_back(e.name);
    EXPECT_EQ(saved, (std::vector<std::string>{"Review", "Report"}));
}

TEST_F(EventsView, APriorityChosenFromTheDropDownIsSaved) {
    CEventsView v(store, settings);
    v.resize(900, 600);
    v.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&v, 30000));
    GroupTreeModel& list = v.eventList()->model();
    const NodeHandle report = row(v, "Report");
    list.SelectItem(report, -1, false);
    // The button of the selected row's "Priority" cell opens the choices.
    QTest::mouseClick(v.eventList()->viewport(), Qt::LeftButton, {},
                      v.eventList()->PartRect(0, kEventPriorityColumn, CellPart::CellButton).center());
    QComboBox* box = v.eventList()->DropDown();
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->count(), 10);
    EXPECT_EQ(box->itemText(0), "1 of 10");
    EXPECT_EQ(box->itemText(9), "10 of 10");
    EXPECT_EQ(box->currentIndex(), 3);
    box->setCurrentIndex(6);
    box->hidePopup();
    ASSERT_TRUE(QTest::qWaitFor([&] { return v.eventList()->DropDown() == nullptr; }, 30000));
    EXPECT_EQ(list.GetItemText(report, kEventPriorityColumn), "7 of 10");

    ASSERT_TRUE(SaveEventsFromEventsView(store, settings.currentView, v.saveState()));
    const EventStore back = loaded();
    const auto it = std::find_if(back.events.begin(), back.events.end(),
                                 [](const EventItem& e) { return e.name == "Report"; });
    ASSERT_NE(it, back.events.end());
    EXPECT_EQ(it->priority, 7);
}

TEST_F(EventsView, TheGroupsColumnFillsTheTree) {
    CEventsView v(store, settings);
    v.resize(900, 600);  // laid out while hidden, as the main window does it
    v.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&v, 30000));
    const TreeColumn* column = v.groupTree()->model().Column(0);
    ASSERT_NE(column, nullptr);
    EXPECT_EQ(column->width, v.groupTree()->viewport()->width());
    EXPECT_GT(column->width, 200);
}

TEST_F(EventsView, SavingTakesTheTextOfAnOpenCellEditor) {
    // The editor need not hold the focus: the window may not be the active one.
    CEventsView v(store, settings);
    v.resize(900, 600);
    v.show();
    GroupTreeModel& list = v.eventList()->model();
    const NodeHandle report = row(v, "Report");
    list.SelectItem(report, kEventNameColumn);
    QTest::keyClicks(v.eventList(), "R");  // a typed letter opens the cell editor
    auto* editor = qobject_cast<QLineEdit*>(v.eventList()->Editor());
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Report 2"));
    editor->setCursorPosition(6);
    ASSERT_TRUE(SaveEventsFromEventsView(store, settings.currentView, v.saveState()));
    const EventStore back = loaded();
    EXPECT_TRUE(std::any_of(back.events.begin(), back.events.end(),
                            [](const EventItem& e) { return e.name == "Report 2"; }));

    // The save did not end the edit: the same editor, text and caret.
    ASSERT_EQ(v.eventList()->Editor(), editor);
    EXPECT_EQ(editor->text(), QStringLiteral("Report 2"));
    EXPECT_EQ(editor->cursorPosition(), 6);
    // What the user types next goes on into the name; Space is a blank in
    // it, not a tick of the "Actual" box.
    const auto type = [&](const QString& keys) {
        QWidget* target = v.eventList()->Editor() ? v.eventList()->Editor() : v.eventList();
        QTest::keyClicks(target, keys);
    };
    type(QStringLiteral(" no"));
    ASSERT_EQ(v.eventList()->Editor(), editor);
    EXPECT_EQ(editor->text(), QStringLiteral("Report no 2"));
    EXPECT_EQ(list.GetCheck(report, kEventNameColumn), 1);
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(v.eventList()->Editor(), nullptr);
    EXPECT_EQ(list.GetItemText(report, kEventNameColumn), "Report no 2");
}

TEST_F(EventsView, CommandsEndAnOpenCellEditFirst) {
    CEventsView v(store, settings);
    v.resize(900, 600);
    v.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&v, 30000));
    GroupTreeModel& list = v.eventList()->model();
    list.SelectItem(row(v, "Review"), -1);
    QTest::keyClicks(v.eventList(), "C");
    ASSERT_NE(v.eventList()->Editor(), nullptr);
    QTest::keyClicks(v.eventList()->Editor(), "ode review");

    // "Edit..." starts from the name as typed, and OK keeps it.
    answer<CEventDialog>([](CEventDialog& d) {
        EXPECT_EQ(d.nameEdit()->text(), QStringLiteral("Code review"));
        d.accept();
    });
    QTest::mouseClick(v.commandButton(CEventsView::kEditEvent), Qt::LeftButton);
    EXPECT_EQ(v.eventList()->Editor(), nullptr);
    EXPECT_EQ(rowNames(v), (std::vector<std::string>{"Report", "Code review"}));
    const EventStore back = loaded();
    EXPECT_TRUE(std::any_of(back.events.begin(), back.events.end(),
                            [](const EventItem& e) { return e.name == "Code review"; }));

    // "Collapse all" on the tool strip keeps a group name being typed.
    GroupTreeModel& tree = v.groupTree()->model();
    tree.SelectItem(group(v, "Sub"), 0);
    QTest::keyClicks(v.groupTree(), "P");
    ASSERT_NE(v.groupTree()->Editor(), nullptr);
    QTest::keyClicks(v.groupTree()->Editor(), "rojects");
    QTest::mouseClick(v.toolStrip()->button(kTreeCollapseAll), Qt::LeftButton);
    EXPECT_EQ(v.groupTree()->Editor(), nullptr);
    EXPECT_EQ(tree.IsCollapsed(group(v, "Work")), 1);
    EXPECT_EQ(groupNames(v), (std::vector<std::string>{"Work", " Projects", "Home"}));

    // The list's menu goes the same way.
    list.SelectItem(row(v, "Report"), -1);
    QTest::keyClicks(v.eventList(), "B");
    ASSERT_NE(v.eventList()->Editor(), nullptr);
    QTest::keyClicks(v.eventList()->Editor(), "udget");
    v.runEventCommand(CEventsView::kEventDown);
    EXPECT_EQ(rowNames(v), (std::vector<std::string>{"Code review", "Budget"}));
}

TEST_F(EventsView, HandingTheRowsBackTakesTheTextOfAnOpenCellEditor) {
    CEventsView v(store, settings);
    v.resize(900, 600);
    v.show();
    GroupTreeModel& list = v.eventList()->model();
    list.SelectItem(row(v, "Report"), kEventNameColumn);
    QTest::keyClicks(v.eventList(), "R");
    auto* editor = qobject_cast<QLineEdit*>(v.eventList()->Editor());
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Report 3"));
    v.commitList();  // the Today view is being shown
    EXPECT_FALSE(v.holdsListRows());
    EXPECT_TRUE(std::any_of(store.events.begin(), store.events.end(),
                            [](const EventItem& e) { return e.name == "Report 3"; }));
}

// The "Comment" label sits on the view's panel, which a dark skin darkens.
TEST_F(EventsView, CommentLabelStaysReadableOnADarkSkin) {
    CEventsView v(store, settings);
    v.resize(900, 600);
    v.show();
    for (const QColor& back : {QColor(0x25, 0x33, 0x4c), QColor(0xf4, 0xf6, 0xf9)}) {
        v.setPanelColour(back);
        const QImage label = v.grab(v.commentLabel()->geometry()).toImage();  // on the panel
        EXPECT_GE(test::InkContrast(label, back), kReadableContrast) << back.name().toStdString();
    }
}

// The Events view as a 1024 x 768 window holds it, under the row of buttons.
TEST_F(EventsView, TimeAndPriorityTextsFitTheirColumnsAtA1024PixelWindow) {
    folder.clock.t = test::LibraryTime(2026, 9, 1, 8, 0, 0);
    store.events[0].details.schedule.eventTime =
        static_cast<std::int32_t>(test::LibraryTime(2026, 9, 30, 23, 59, 59));  // a Wednesday
    store.events[0].priority = 10;
    store.events[1].actual = 0;
    for (bool seconds : {false, true}) {
        settings.showSeconds = seconds;
        CEventsView v(store, settings);
        v.resize(1024, 768 - 72);
        v.show();
        v.viewShown(seconds ? 1000 : 60000);
        CEventList* list = v.eventList();
        const GroupTreeModel& m = list->model();
        ASSERT_EQ(rowNames(v), (std::vector<std::string>{"Report", "Review"}));
        EXPECT_EQ(m.GetItemText(row(v, "Report"), kEventTimeColumn),
                  "Wednesday, September 30, 2026, 23:59:59");
        EXPECT_EQ(m.GetItemText(row(v, "Review"), kEventTimeColumn), "Not actual");
        test::ExpectEventTextsWhole(*list, seconds);
        v.commitList();
    }
}

}  // namespace
}  // namespace veltrin
