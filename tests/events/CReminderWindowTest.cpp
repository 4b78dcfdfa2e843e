#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/CBannerStrip.h"
#include "events/CReminderWindow.h"
#include "events/QtReminderWindows.h"
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

TEST_F(ReminderWindow, ANewReminderReplacesTheWindowAndTheOwnerTakesItAlong) {
    QPointer<CReminderWindow> first;
    {
        QtReminderWindows windows;
        windows.ShowReminder("First", -1, EventDetails{});
        first = windows.window();
        windows.ShowReminder("Second", -1, EventDetails{});
        EXPECT_TRUE(first.isNull());
        EXPECT_EQ(windows.window()->nameField()->text(), "Second");
        first = windows.window();
    }
    EXPECT_TRUE(first.isNull());
}

}  // namespace
}  // namespace veltrin
