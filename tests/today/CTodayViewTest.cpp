#include <gtest/gtest.h>

#include <algorithm>

#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "controls/CPopupMenu.h"
#include "controls/CSkinButton.h"
#include "events/CEventList.h"
#include "events/CReminderWindow.h"
#include "events/QtReminderService.h"
#include "events/QtReminderWindows.h"
#include "imaging/QtPicture.h"
#include "imaging/QtSkinResources.h"
#include "settings/AppSettings.h"
#include "support/Fakes.h"
#include "support/Looks.h"
#include "support/ScopedZone.h"
#include "today/CTodayView.h"
#include "today/ComingEvents.h"

using namespace veltrin;
using veltrin::test::LibraryTime;

namespace {

EventItem OnceAt(const std::string& name, std::int64_t due) {
    EventItem e;
    e.name = name;
    e.actual = 1;
    e.priority = 4;
    e.details.schedule.kind = Once;
    e.details.schedule.eventTime = static_cast<std::int32_t>(due);
    return e;
}

class TodayViewTest : public ::testing::Test {
protected:
    TodayViewTest() {
        ApplySettingsDefaults(settings);
        folder.clock.t = LibraryTime(2026, 12, 7, 8, 0, 0);  // a Monday
        // Set by hand (as "Move up" and "Move down" leave it), not by name.
        store.events = {OnceAt("walk", LibraryTime(2026, 12, 7, 18, 0, 0)),
                        OnceAt("Sunday", LibraryTime(2026, 12, 13, 9, 0, 0)),
                        OnceAt("apple", LibraryTime(2026, 12, 7, 9, 0, 0)),
                        OnceAt("Christmas", LibraryTime(2026, 12, 25, 9, 0, 0)),
                        OnceAt("August", LibraryTime(2027, 8, 1, 9, 0, 0)),
                        OnceAt("New year", LibraryTime(2027, 1, 1, 9, 0, 0))};
        view = std::make_unique<CTodayView>(store, settings);
        view->resize(1000, 700);
        view->show();  // the list is filled for a view on screen
    }
    std::vector<std::string> rows() const {
        std::vector<std::string> names;
        const GroupTreeModel& m = view->list()->model();
        for (NodeHandle r = m.GetNextItem(kRootNode, kFirstChild); r != kNoNode;
             r = m.GetNextItem(r, kNextSibling))
            names.push_back(m.GetItemText(r, 0));
        return names;
    }
    std::vector<std::string> storeNames() const {
        std::vector<std::string> names;
        for (const EventItem& e : store.events) names.push_back(e.name);
        return names;
    }
    NodeHandle row(int i) const { return view->list()->model().GetChildItem(kRootNode, i); }

    test::ScopedZone zone{"Europe/Berlin"};
    test::ProgramFolder folder;
    AppSettings settings;
    EventStore store;
    std::unique_ptr<CTodayView> view;
    using Names = std::vector<std::string>;
};

}  // namespace

// A start into the tray: the view is shown in a window not on screen. The
// events stay in the store (where reminders and saves find them) and become
// rows, once, when the window shows.
TEST_F(TodayViewTest, AWindowNotOnScreenGetsItsRowsWhenItShows) {
    view->hide();
    view->viewShown(0);
    EXPECT_TRUE(rows().empty());
    EXPECT_FALSE(view->holdsListRows());
    EXPECT_EQ(store.events.size(), 6u);
    view->show();
    EXPECT_EQ(rows(), (Names{"apple", "walk"}));
    EXPECT_EQ(storeNames(), (Names{"Sunday", "Christmas", "August", "New year"}));
    // Hidden to the tray and shown again: the rows are not made twice.
    view->hide();
    view->show();
    EXPECT_EQ(rows(), (Names{"apple", "walk"}));
    EXPECT_EQ(store.events.size(), 4u);
    // A period chosen while not on screen fills at once; the show adds nothing.
    view->hide();
    view->viewShown(0);
    view->SelectPeriod(kPeriodWeek);
    view->show();
    EXPECT_EQ(rows(), (Names{"apple", "Sunday", "walk"}));
}

TEST_F(TodayViewTest, PeriodButtonsAndMenuChooseTheListedEvents) {
    view->viewShown(60000);
    EXPECT_EQ(view->dateLabel()->text(), "December 07, 2026");
    EXPECT_EQ(rows(), (Names{"apple", "walk"}));
    EXPECT_TRUE(view->periodButton(kPeriodDay)->isChecked());
    EXPECT_EQ(view->tickTimer()->interval(), 60000);
    EXPECT_TRUE(view->tickTimer()->isActive());

    view->show();
    QTest::mouseClick(view->periodButton(kPeriodWeek), Qt::LeftButton);
    EXPECT_EQ(settings.comingEventsPeriod, kPeriodWeek);
    EXPECT_EQ(rows(), (Names{"apple", "Sunday", "walk"}));
    EXPECT_TRUE(view->periodButton(kPeriodWeek)->isChecked());
    EXPECT_FALSE(view->periodButton(kPeriodDay)->isChecked());

    const std::unique_ptr<CPopupMenu> menu = view->MakePeriodMenu();
    ASSERT_EQ(menu->actions().size(), 4);
    const char* const texts[] = {"Day", "Week", "Month", "Year"};
    for (int p = 0; p < 4; ++p) {
        EXPECT_EQ(menu->actions()[p]->text(), texts[p]);
        EXPECT_EQ(CPopupMenu::commandOf(menu->actions()[p]), 100 + p);
    }
    view->OnCommand(103);
    EXPECT_EQ(settings.comingEventsPeriod, kPeriodYear);
    EXPECT_TRUE(view->periodButton(kPeriodYear)->isChecked());
    EXPECT_EQ(rows(), (Names{"apple", "Christmas", "Sunday", "walk"}));
    view->OnCommand(102);
    EXPECT_EQ(rows(), (Names{"apple", "Christmas", "Sunday", "walk"}));

    // A date in the next year: the label and the list follow, the panel stays on today.
    view->OnCommand(100);
    view->calendar()->setSelectedDate(QDate(2027, 1, 1));
    EXPECT_EQ(view->dateLabel()->text(), "January 01, 2027");
    EXPECT_EQ(rows(), (Names{"New year"}));
    EXPECT_EQ(view->dayPanelLines()[5], "December 07, 2026");
    view->viewHidden();
    EXPECT_FALSE(view->tickTimer()->isActive());
}

TEST_F(TodayViewTest, AStoredPeriodOutsideTheFourIsDay) {
    settings.comingEventsPeriod = 7;
    view->viewShown(1000);
    EXPECT_EQ(settings.comingEventsPeriod, kPeriodDay);
    EXPECT_TRUE(view->periodButton(kPeriodDay)->isChecked());
    EXPECT_EQ(rows(), (Names{"apple", "walk"}));
}

TEST_F(TodayViewTest, FillingAndHandingBackKeepTheStoresOrder) {
    const Names order = storeNames();
    view->viewShown(60000);
    for (int p : {1, 2, 3, 0, 3}) view->SelectPeriod(p);
    for (int d : {13, 25, 7}) view->calendar()->setSelectedDate(QDate(2026, 12, d));
    // The save's form keeps the rows and writes the order of the store.
    const EventViews state = view->saveState();
    ASSERT_EQ(state.todayList, &view->list()->model());
    EXPECT_EQ(state.eventsList, nullptr);
    EXPECT_TRUE(SaveEventsFromTodayView(store, 0, state));
    EventStore written;
    ASSERT_TRUE(SerializeEventsFile(written, false));
    Names writtenNames;
    for (const EventItem& e : written.events) writtenNames.push_back(e.name);
    EXPECT_EQ(writtenNames, order);
    EXPECT_TRUE(view->holdsListRows());

    view->commitList();
    EXPECT_FALSE(view->holdsListRows());
    EXPECT_EQ(storeNames(), order);
}

TEST_F(TodayViewTest, CheckBoxAndPriorityDropDown) {
    view->show();
    view->viewShown(60000);
    GroupTreeModel& m = view->list()->model();
    ASSERT_EQ(rows(), (Names{"apple", "walk"}));
    EXPECT_EQ(m.GetItemText(row(0), 2), "0 days, 01 hour , 00 minutes");

    // A click on the box clears actual, and the row shows it at once.
    m.ToggleCheckByClick(row(0), 0);
    EXPECT_EQ(m.GetCheck(row(0), 0), 0);
    EXPECT_EQ(m.GetItemText(row(0), 1), "Not actual");
    EXPECT_EQ(m.GetItemText(row(0), 2), "Not actual");
    // Space on the selected row sets it again.
    m.SelectItem(row(0), 0);
    view->list()->setFocus();
    QTest::keyClick(view->list(), Qt::Key_Space);
    EXPECT_EQ(m.GetCheck(row(0), 0), 1);
    EXPECT_EQ(m.GetItemText(row(0), 1), "Monday, December 07, 2026, 09:00:00");

    // The drop-down's choices are made when first asked for.
    m.SelectItem(row(1), 3);
    ASSERT_TRUE(m.BeginDropDown(row(1), 3));
    const auto choices = m.GetCellChoices(view->list()->styles().priority);
    ASSERT_EQ(choices.size(), 10u);
    EXPECT_EQ(choices.front().text, "1 of 10");
    EXPECT_EQ(choices.back().text, "10 of 10");
    m.EndDropDown("7 of 10", 7);
    view->commitList();
    const auto walk = std::find_if(store.events.begin(), store.events.end(),
                                   [](const EventItem& e) { return e.name == "walk"; });
    ASSERT_NE(walk, store.events.end());
    EXPECT_EQ(walk->priority, 7);
}

// The view only shows the countdown of a due event it lists; the one
// reminder engine fires it, once, with the program's icon.
TEST_F(TodayViewTest, DueEventsListedInTodayRemindOnceThroughTheEngine) {
    EventSchedule& s = store.events[2].details.schedule;
    s.nextDue = s.eventTime;
    s.lastCheck = static_cast<std::int32_t>(folder.clock.t);
    store.events[2].details.playSound = 1;
    store.events[2].details.showMessage = 1;
    const EventSchedule before = s;  // the view takes the record out of the store
    GroupTreeModel eventsList;
    QtReminderService reminders(store);
    reminders.setLists(&view->list()->model(), &eventsList);
    reminders.start();
    view->viewShown(1000);
    folder.clock.t = before.eventTime;
    view->RefreshRows();
    EXPECT_TRUE(folder.sound.played.empty());
    const NodeHandle apple = row(0);
    ASSERT_EQ(view->list()->model().GetItemText(apple, 0), "apple");
    EXPECT_EQ(view->list()->model().GetEventRecord<EventDetails>(apple).schedule, before);

    reminders.wake();
    ASSERT_NE(reminders.windows().window(), nullptr);
    EXPECT_FALSE(reminders.windows().window()->windowIcon().isNull());
    EXPECT_EQ(folder.sound.played.size(), 1u);
    EXPECT_EQ(reminders.missedWindow(), nullptr);
    // Once moved on, neither a tick nor a wake fires it again.
    view->RefreshRows();
    reminders.wake();
    EXPECT_EQ(folder.sound.played.size(), 1u);
    EXPECT_EQ(reminders.windows().count(), 1u);
}

TEST_F(TodayViewTest, TownMenuCarriesTheCheckAndAChoiceRedrawsThePanel) {
    view->viewShown(60000);
    EXPECT_EQ(view->dayPanelLines()[1], "Town: New York, N.Y.");
    const auto checkedTowns = [this] {
        std::vector<QString> checked;
        int submenus = 0;
        const std::unique_ptr<CPopupMenu> menu = view->MakeTownMenu();
        for (QAction* a : menu->actions()) {
            if (!a->menu()) continue;
            ++submenus;
            for (QAction* town : a->menu()->actions())
                if (town->isChecked()) checked.push_back(a->text() + "/" + town->text());
        }
        EXPECT_EQ(submenus, 71);
        EXPECT_TRUE(menu->actions()[1]->isSeparator());
        EXPECT_EQ(menu->actions()[0]->text(), "US and Canada");
        return checked;
    };
    EXPECT_EQ(checkedTowns(), (std::vector<QString>{"US and Canada/New York, N.Y."}));
    view->OnCommand(448);
    EXPECT_EQ(settings.townIndex, 248);
    EXPECT_EQ(view->dayPanelLines()[1], "Town: Belgrade");
    EXPECT_EQ(checkedTowns(), (std::vector<QString>{"Yugoslavia/Belgrade"}));
    view->OnCommand(449);  // past the table: nothing
    EXPECT_EQ(settings.townIndex, 248);

    settings.townIndex = 249;
    view->DrawDayPanel();
    EXPECT_EQ(settings.townIndex, 79);
}

TEST_F(TodayViewTest, DayPanelStaysReadableWithABadFontSize) {
    view->setDayInfoFont(QFont(), Qt::red);
    const auto redRows = [this] {
        const QImage& panel = view->dayPanel();
        int rowsWithText = 0;
        for (int y = 0; y < panel.height(); ++y)
            for (int x = 0; x < panel.width(); ++x)
                if (qRed(panel.pixel(x, y)) > 200 && qGreen(panel.pixel(x, y)) < 80) {
                    ++rowsWithText;
                    break;
                }
        return rowsWithText;
    };
    for (std::int32_t size : {18, 0, -5, INT32_MAX}) {
        settings.dayInfoFontSize = size;
        view->DrawDayPanel();
        EXPECT_EQ(view->dayPanel().height(), 800);
        EXPECT_GT(redRows(), 20) << size;  // lines of text, not dots
    }
    settings.showSeconds = 1;
    view->setTickPeriod(1000);
    EXPECT_EQ(view->tickTimer()->interval(), 1000);
    EXPECT_EQ(view->dayPanelLines()[4].size(), std::string("08:00:00, Monday").size());
}

// The Today view as a 1024 x 768 window holds it, under the row of buttons.
TEST_F(TodayViewTest, TimeAndPriorityTextsFitTheirColumnsAtA1024PixelWindow) {
    store.events.push_back(OnceAt("Year end", LibraryTime(2026, 12, 30, 23, 59, 59)));  // a Wednesday
    store.events.back().priority = 10;
    store.events[1].actual = 0;
    view->resize(1024, 768 - 72);
    view->show();
    settings.comingEventsPeriod = kPeriodYear;
    for (bool seconds : {false, true}) {
        settings.showSeconds = seconds;
        view->viewShown(seconds ? 1000 : 60000);
        CEventList* list = view->list();
        const GroupTreeModel& m = list->model();
        ASSERT_EQ(m.RowCount(), 5);
        EXPECT_EQ(rows(), (Names{"apple", "Christmas", "Sunday", "walk", "Year end"}));
        EXPECT_EQ(m.GetItemText(row(4), kEventTimeColumn), "Wednesday, December 30, 2026, 23:59:59");
        EXPECT_EQ(m.GetItemText(row(2), kEventTimeColumn), "Not actual");
        test::ExpectEventTextsWhole(*list, seconds);
    }
}

// A dark skin reaches the view as a dark panel colour; the day panel and the
// date label must stay readable on it with the default black text.
TEST_F(TodayViewTest, DayPanelAndDateLabelStayReadableOnADarkSkin) {
    view->show();
    view->viewShown(60000);
    view->setDayInfoFont(QFont(), Qt::black);
    const QColor dark(0x25, 0x33, 0x4c), light(0xf4, 0xf6, 0xf9);
    for (const QColor& back : {dark, light}) {
        view->setPanelColour(back);
        view->DrawDayPanel();
        const QImage& panel = view->dayPanel();
        EXPECT_EQ(QColor(panel.pixel(0, 0)), back);
        EXPECT_GE(test::InkContrast(panel, back), kReadableContrast) << back.name().toStdString();
        const QImage label = view->dateLabel()->grab().toImage();
        EXPECT_EQ(QColor(label.pixel(1, 1)), back) << "the date label keeps a background of its own";
        EXPECT_GE(test::InkContrast(label, back), kReadableContrast) << back.name().toStdString();
    }
    // Where the chosen colour can be read, it is the one drawn.
    const QImage& panel = view->dayPanel();
    bool black = false;
    for (int y = 0; y < panel.height() && !black; ++y)
        for (int x = 0; x < panel.width() && !black; ++x) black = QColor(panel.pixel(x, y)) == Qt::black;
    EXPECT_TRUE(black);
}

// The header picture, decoded with the first paint, tiles the strip between
// the date label and the list.
TEST_F(TodayViewTest, TheHeaderPictureIsDrawnUnderTheDateLabel) {
    view->resize(1000, 700);
    view->show();
    const QImage drawn = view->grab().toImage();
    const QImage header =
        ToQImage(LoadResourcePicture(QStringLiteral("IDR_TODAY_HEAD_JPG"), QStringLiteral("JPG")));
    ASSERT_FALSE(header.isNull());
    const QRect label = view->dateLabel()->geometry();
    const QPoint at(label.left(), label.bottom() + 1);
    ASSERT_LT(at.y() + 4, view->list()->geometry().top());
    for (const QPoint& offset : {QPoint(0, 0), QPoint(40, 2), QPoint(300, 3)})
        EXPECT_EQ(QColor(drawn.pixel(at + offset)), QColor(header.pixel(offset)))
            << offset.x() << "," << offset.y();
}

TEST_F(TodayViewTest, ASmallWindowGivesNoNegativeSizes) {
    view->resize(50, 40);
    EXPECT_GE(view->list()->width(), 0);
    EXPECT_GE(view->list()->height(), 0);
    EXPECT_GE(view->dateLabel()->width(), 0);
    EXPECT_GE(view->townButton()->width(), 0);
    for (int c = 0; c < 3; ++c) EXPECT_GE(view->list()->model().Column(c)->width, 0);
}
