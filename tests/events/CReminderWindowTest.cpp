#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <gtest/gtest.h>

#include "controls/CBannerStrip.h"
#include "events/CMissedRemindersWindow.h"
#include "events/CReminderWindow.h"
#include "events/QtReminderService.h"
#include "events/QtReminderWindows.h"
#include "events/Snoozes.h"
#include "platform/QtClockChangeWatch.h"
#include "support/Fakes.h"
#include "support/ScopedService.h"
#include "support/ScopedZone.h"

namespace veltrin {
namespace {

class ReminderWindow : public ::testing::Test {
protected:
    test::ScopedZone zone{"Europe/Berlin"};
    test::FixedClock clock;
    test::ScopedClock installed{clock};
};

TEST_F(ReminderWindow, ShowsNameOpeningTimeAndCommentReadOnlyOnTop) {
    clock.t = test::LibraryTime(2026, 12, 7, 8, 0, 5);
    EventDetails d;
    d.comment = "Bring the forms";
    CReminderWindow w("Dentist", d, QIcon());
    EXPECT_EQ(w.windowTitle(), "Event");
    EXPECT_EQ(w.parent(), nullptr);
    EXPECT_FALSE(w.isModal());
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(w.nameField()->text(), "Dentist");
    EXPECT_EQ(w.deadlineField()->text(), "Monday, December 07, 2026, 08:00:05");
    EXPECT_EQ(w.commentField()->toPlainText(), "Bring the forms");
    EXPECT_TRUE(w.nameField()->isReadOnly());
    EXPECT_TRUE(w.deadlineField()->isReadOnly());
    EXPECT_TRUE(w.commentField()->isReadOnly());
    EXPECT_EQ(w.banner()->text(), "Dentist");
    EXPECT_FALSE(w.windowIcon().isNull());
}

TEST_F(ReminderWindow, EnterKeepsItOpenEscapeOnlyHidesIt) {
    QtReminderWindows windows;
    windows.ShowReminder("Call", -1, EventDetails{});
    CReminderWindow* w = windows.window();
    ASSERT_TRUE(w);
    ASSERT_TRUE(w->isVisible());
    QTest::keyClick(w, Qt::Key_Return);
    EXPECT_TRUE(w->isVisible());
    QTest::keyClick(w, Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(windows.window(), w) << "the window stays with its dispatcher until the next reminder";
}

// Two reminders due together are both seen: a new one opens beside an open
// one; a closed one goes when the next opens; the owner takes all along.
TEST_F(ReminderWindow, ANewReminderOpensBesideTheOpenOnesAndTheOwnerTakesThemAlong) {
    QPointer<CReminderWindow> first, second, third;
    {
        QtReminderWindows windows;
        windows.ShowReminder("First", -1, EventDetails{});
        first = windows.window();
        windows.ShowReminder("Second", -1, EventDetails{});
        second = windows.window();
        ASSERT_FALSE(first.isNull());
        EXPECT_TRUE(first->isVisible());
        EXPECT_TRUE(second->isVisible());
        EXPECT_EQ(second->nameField()->text(), "Second");
        EXPECT_NE(second->pos(), first->pos()) << "the second covers the first";
        QTest::keyClick(first, Qt::Key_Escape);
        windows.ShowReminder("Third", -1, EventDetails{});
        third = windows.window();
        EXPECT_TRUE(first.isNull());
        EXPECT_FALSE(second.isNull());
        EXPECT_EQ(windows.count(), 2u);
    }
    EXPECT_TRUE(second.isNull());
    EXPECT_TRUE(third.isNull());
}

// At start, what came due while the program was not running is listed in
// one window; its file is not run and no sound plays. What comes due later
// is performed on its second, woken by the one timer.
TEST_F(ReminderWindow, MissedAtStartAreListedTogetherAndNothingRunsLate) {
    test::RecordingSound sound;
    test::ScopedSound soundInstalled{sound};
    test::RecordingShell shell;
    test::ScopedShell shellInstalled{shell};
    clock.t = test::LibraryTime(2026, 12, 7, 9, 0, 0);
    EventStore store;
    for (const char* name : {"Dentist", "Pay rent", "Later"}) {
        EventItem e;
        e.name = name;
        e.actual = 1;
        e.details.comment = std::string("About ") + name;
        e.details.playSound = 1;
        e.details.showMessage = 1;
        e.details.runFile = 1;
        e.details.filePath = "https://example.org/";
        e.details.schedule.eventTime = static_cast<std::int32_t>(clock.t - 3600);
        e.details.schedule.nextDue = e.details.schedule.eventTime;
        e.details.schedule.lastCheck = static_cast<std::int32_t>(clock.t - 7200);
        store.events.push_back(e);
    }
    store.events[2].details.schedule.eventTime = static_cast<std::int32_t>(clock.t + 30);
    store.events[2].details.schedule.nextDue = store.events[2].details.schedule.eventTime;
    GroupTreeModel today, events;
    QtReminderService reminders(store);
    reminders.setLists(&today, &events);
    reminders.start();

    CMissedRemindersWindow* missed = reminders.missedWindow();
    ASSERT_NE(missed, nullptr);
    EXPECT_TRUE(missed->isVisible());
    EXPECT_EQ(missed->windowTitle(), "Missed reminders");
    EXPECT_TRUE(missed->note()->text().contains("files were not run and no sound played"));
    ASSERT_EQ(missed->list()->topLevelItemCount(), 2);
    EXPECT_EQ(missed->list()->topLevelItem(0)->text(0), "Dentist");
    EXPECT_EQ(missed->list()->topLevelItem(0)->text(1), "Monday, December 07, 2026, 08:00:00");
    EXPECT_EQ(missed->list()->topLevelItem(1)->text(2), "About Pay rent");
    EXPECT_TRUE(sound.played.empty());
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_EQ(reminders.windows().window(), nullptr);
    // The timer waits for the next due second.
    EXPECT_TRUE(reminders.timer()->isActive());
    EXPECT_EQ(reminders.timer()->interval(), 30000);

    clock.t += 30;
    reminders.wake();
    EXPECT_EQ(sound.played.size(), 1u);
    EXPECT_EQ(shell.opened.size(), 1u);
    ASSERT_NE(reminders.windows().window(), nullptr);
    EXPECT_EQ(reminders.windows().window()->nameField()->text(), "Later");
    EXPECT_EQ(missed->list()->topLevelItemCount(), 2);
    EXPECT_EQ(reminders.timer()->interval(), QtReminderService::kLongestSleepMs);
}

// The "Event" window's snooze: the chosen time is kept in the snooze file,
// the reminder comes again then, also in a program started anew; a file
// that does not read whole is said and kept aside.
TEST(ReminderSnooze, TheChoiceIsKeptAndTheReminderComesAgainAfterARestart) {
    test::ScopedZone zone{"Europe/Berlin"};
    test::ProgramFolder folder;
    folder.clock.t = test::LibraryTime(2026, 12, 7, 9, 0, 0);
    EventStore store;
    EventItem e;
    e.name = "Stretch";
    e.actual = 1;
    e.details.eventId = 4711;
    e.details.playSound = 1;
    e.details.showMessage = 1;
    e.details.schedule.eventTime = static_cast<std::int32_t>(folder.clock.t + 1);
    e.details.schedule.nextDue = e.details.schedule.eventTime;
    e.details.schedule.lastCheck = static_cast<std::int32_t>(folder.clock.t);
    store.events = {e};
    GroupTreeModel today, events;
    const std::string file = folder.file(kSnoozesFileName).string();
    {
        QtReminderService reminders(store);
        reminders.setLists(&today, &events);
        reminders.setSnoozeFile(file);
        reminders.start();
        folder.clock.t += 1;
        reminders.wake();
        CReminderWindow* w = reminders.windows().window();
        ASSERT_NE(w, nullptr);
        QComboBox* choice = w->snoozeChoice();
        ASSERT_EQ(choice->count(), 6);
        EXPECT_EQ(choice->itemText(0), "5 minutes");
        EXPECT_EQ(choice->itemText(5), "Tomorrow");
        choice->setCurrentIndex(1);
        QTest::mouseClick(w->snoozeButton(), Qt::LeftButton);
        EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(test::readAll(file), "4711 " + std::to_string(folder.clock.t + 600) + "\n");
        EXPECT_EQ(reminders.timer()->interval(), 600000) << "sleeps until the snooze ends";
        EXPECT_EQ(folder.sound.played.size(), 1u);
    }
    // Started anew five minutes later: the snooze is still waiting.
    folder.clock.t += 300;
    {
        QtReminderService reminders(store);
        reminders.setLists(&today, &events);
        reminders.setSnoozeFile(file);
        reminders.start();
        EXPECT_EQ(reminders.missedWindow(), nullptr);
        EXPECT_TRUE(reminders.timer()->isActive());
        folder.clock.t += 299;
        reminders.wake();
        EXPECT_EQ(folder.sound.played.size(), 1u);
        folder.clock.t += 1;
        reminders.wake();
        EXPECT_EQ(folder.sound.played.size(), 2u);
        ASSERT_NE(reminders.windows().window(), nullptr);
        EXPECT_EQ(reminders.windows().window()->nameField()->text(), "Stretch");
        EXPECT_EQ(test::readAll(file), "") << "a snooze that came is done";
    }
    // A damaged file is said and kept aside, its good lines still count.
    test::writeAll(file, "4711 " + std::to_string(folder.clock.t + 60) + "\nnot a snooze\n");
    {
        QtReminderService reminders(store);
        reminders.setLists(&today, &events);
        reminders.setSnoozeFile(file);
        ASSERT_EQ(folder.messages.shown.size(), 1u);
        EXPECT_NE(folder.messages.shown[0].text.find("line 2 is not a snooze"), std::string::npos);
        EXPECT_TRUE(std::filesystem::exists(file + ".unread"));
        reminders.start();
        folder.clock.t += 60;
        reminders.wake();
        EXPECT_EQ(folder.sound.played.size(), 3u);
    }
}

// The engine sleeps until the next due second, however far off; a jump of
// the wall clock (a resume, a clock set by hand) wakes it at once, and what
// came due in the jump is listed as missed rather than played late.
TEST_F(ReminderWindow, TheServiceSleepsUntilTheDueSecondAndAClockJumpWakesIt) {
    test::RecordingSound sound;
    test::ScopedSound soundInstalled{sound};
    clock.t = test::LibraryTime(2026, 12, 7, 9, 0, 0);
    EventStore store;
    EventItem e;
    e.name = "Team meeting";
    e.actual = 1;
    e.details.playSound = 1;
    e.details.showMessage = 1;
    e.details.schedule.eventTime = static_cast<std::int32_t>(clock.t + 1800);
    e.details.schedule.nextDue = e.details.schedule.eventTime;
    e.details.schedule.lastCheck = static_cast<std::int32_t>(clock.t);
    store.events = {e};
    GroupTreeModel today, events;
    QtReminderService reminders(store);
    reminders.setLists(&today, &events);
    reminders.start();
    ASSERT_TRUE(reminders.clockWatch()->watching());
    EXPECT_EQ(reminders.timer()->interval(), 1800 * 1000) << "no wake-up before the due second";

    clock.t += 3600;  // the machine slept through the meeting
    emit reminders.clockWatch()->clockChanged();
    ASSERT_NE(reminders.missedWindow(), nullptr);
    EXPECT_EQ(reminders.missedWindow()->list()->topLevelItemCount(), 1);
    EXPECT_TRUE(sound.played.empty());
    EXPECT_EQ(reminders.windows().window(), nullptr);
    EXPECT_EQ(reminders.timer()->interval(), QtReminderService::kLongestSleepMs);
}

}  // namespace
}  // namespace veltrin
