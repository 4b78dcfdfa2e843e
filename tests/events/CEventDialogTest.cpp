#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include "events/CEventDialog.h"
#include "events/CWeeklyDaysDialog.h"
#include "events/EventEditor.h"
#include "support/Fakes.h"
#include "support/ModalAnswer.h"
#include "support/ScopedService.h"
#include "support/ScopedZone.h"

namespace veltrin {
namespace {

class TopicHelp : public Help {
public:
    std::vector<std::string> topics;
    void showTopic(const std::string& topic) override { topics.push_back(topic); }
};

class EventDialog : public ::testing::Test {
protected:
    EventItem hourly() {
        EventItem item;
        item.name = "Stand-up";
        item.actual = 1;
        item.priority = 3;
        item.details = NewEventDetails(5, 6, clock.t);
        item.details.schedule.kind = Hourly;
        item.details.schedule.minutesAfterHour = 45;
        item.details.schedule.dayOfMonth = 10;
        return item;
    }
    void answerNextDialog(bool accept, const std::function<void(QDialog*)>& before = {}) {
        test::AnswerNextDialog(accept, before);
    }

    test::ScopedZone zone{"Europe/Berlin"};
    test::FixedClock clock;
    test::ScopedClock clockInstalled{clock};
};

TEST_F(EventDialog, CaptionFollowsTheNameAndThePriorityListIsTinted) {
    CEventDialog d(hourly(), 0x000000FF);
    EXPECT_EQ(d.windowTitle(), "Editing 'Stand-up' event...");
    d.nameEdit()->setText("Review");
    EXPECT_EQ(d.windowTitle(), "Editing 'Review' event...");
    ASSERT_EQ(d.priorityList()->count(), 10);
    EXPECT_EQ(d.priorityList()->itemText(0), "1 (Low)");
    EXPECT_EQ(d.priorityList()->itemText(9), "10 (High)");
    EXPECT_EQ(d.priorityList()->currentIndex(), 2);
    EXPECT_EQ(d.priorityList()->itemData(0, Qt::BackgroundRole).value<QColor>(), QColor(255, 230, 230));
    EXPECT_EQ(d.priorityList()->itemData(9, Qt::BackgroundRole).value<QColor>(), QColor(255, 0, 0));
}

TEST_F(EventDialog, EachKindShowsItsOwnRowAndTheSpinRemembersPerKind) {
    CEventDialog d(hourly(), 0x000000FF);
    d.show();
    EXPECT_TRUE(d.numberBox()->isVisible());
    EXPECT_FALSE(d.timeEdit()->isVisible());
    EXPECT_EQ(d.numberBox()->value(), 45);
    EXPECT_EQ(d.numberBox()->maximum(), 59);
    d.kindButton(Monthly)->click();
    EXPECT_TRUE(d.scheduleControl(1042)->isVisible());
    EXPECT_TRUE(d.timeEdit()->isVisible());
    EXPECT_EQ(d.numberBox()->value(), 10);
    d.numberBox()->stepUp();
    d.kindButton(Hourly)->click();
    EXPECT_EQ(d.numberBox()->value(), 45);
    d.kindButton(Weekly)->click();
    EXPECT_TRUE(d.weekdayList()->isVisible());
    EXPECT_FALSE(d.numberBox()->isVisible());
    d.kindButton(Annually)->click();
    d.monthList()->setCurrentIndex(1);
    EXPECT_EQ(d.numberBox()->maximum(), 28);
    d.kindButton(Monthly)->click();
    EXPECT_EQ(d.numberBox()->value(), 11);
    d.weekdayList()->setCurrentIndex(6);
    d.accept();
    const EventSchedule& s = d.item().details.schedule;
    EXPECT_EQ(s.kind, Monthly);
    EXPECT_EQ(s.dayOfMonth, 11);
    EXPECT_EQ(s.minutesAfterHour, 45) << "only the shown kind's value is written";
    EXPECT_EQ(s.weekday, 1);
    EXPECT_EQ(s.annualMonth, 1);
}

TEST_F(EventDialog, OkTakesEveryFieldAndTheDateAndTimeTogether) {
    clock.t = test::LibraryTime(2026, 5, 4, 9, 30, 0);
    EventItem item = hourly();
    item.details.schedule.kind = Once;
    CEventDialog d(item, 0x000000FF);
    d.dateEdit()->setDate(QDate(2026, 6, 1));
    d.timeEdit()->setTime(QTime(7, 15, 20));
    d.kindButton(Weekly)->click();
    d.boldBox()->click();
    d.actualBox()->click();
    d.priorityList()->setCurrentIndex(9);
    d.soundBox()->click();
    d.commentEdit()->setPlainText("note");
    d.accept();
    const EventItem& out = d.item();
    EXPECT_EQ(out.details.schedule.eventTime, test::LibraryTime(2026, 6, 1, 7, 15, 20));
    EXPECT_EQ(out.details.schedule.kind, Weekly);
    EXPECT_EQ(out.bold, 1);
    EXPECT_EQ(out.actual, 0);
    EXPECT_EQ(out.priority, 10);
    EXPECT_EQ(out.details.playSound, 1);
    EXPECT_EQ(out.details.comment, "note");
    EXPECT_EQ(out.name, "Stand-up");
    EXPECT_EQ(out.details.groupId, 5);
    EXPECT_EQ(out.details.eventId, 6);
}

TEST_F(EventDialog, FileControlsFollowTheTickAndChoosingChangesOnlyThePath) {
    CEventDialog d(hourly(), 0x000000FF);
    EXPECT_FALSE(d.pathEdit()->isEnabled());
    EXPECT_FALSE(d.chooseButton()->isEnabled());
    d.runFileBox()->click();
    EXPECT_TRUE(d.pathEdit()->isEnabled());
    EXPECT_TRUE(d.chooseButton()->isEnabled());
    EXPECT_EQ(d.chooseButton()->toolTip(), "Choose file");
    d.nameEdit()->setText("Typed before choosing");
    d.setFileChooser([] { return QStringLiteral("/usr/bin/true"); });
    d.chooseButton()->click();
    EXPECT_EQ(d.pathEdit()->text(), "/usr/bin/true");
    EXPECT_EQ(d.nameEdit()->text(), "Typed before choosing");
    d.setFileChooser([] { return QString(); });  // cancelled
    d.chooseButton()->click();
    EXPECT_EQ(d.pathEdit()->text(), "/usr/bin/true");

    TopicHelp help;
    test::ScopedHelp installed(help);
    d.helpButton()->click();
    EXPECT_EQ(help.topics, std::vector<std::string>{"/Working/events-adding.htm"});
}

TEST_F(EventDialog, CustomDaysOpensEveryTimeItIsChosen) {
    EventItem item = hourly();
    item.details.schedule.kind = Daily;
    item.details.schedule.whichDays = 7;  // outside the list: the first item shows
    CEventDialog d(item, 0x000000FF);
    EXPECT_EQ(d.whichDaysList()->currentIndex(), 0);
    int opened = 0;
    QObject::connect(&d, &CEventDialog::customDaysOpened, [&] { ++opened; });
    answerNextDialog(true, [](QDialog* w) {
        auto* list = static_cast<CWeeklyDaysDialog*>(w)->list();
        list->item(0)->setCheckState(Qt::Checked);
        list->item(5)->setCheckState(Qt::Checked);
    });
    d.whichDaysList()->setCurrentIndex(3);
    emit d.whichDaysList()->activated(3);
    answerNextDialog(false);
    emit d.whichDaysList()->activated(3);
    EXPECT_EQ(opened, 2);
    d.accept();
    EXPECT_EQ(d.item().details.schedule.customDays, "27") << "Cancel kept the first choice";
    EXPECT_EQ(d.item().details.schedule.whichDays, CustomDays);
}

TEST(WeeklyDaysDialog, TicksFromTheSetDoubleClickTogglesAndOkOrdersMondayFirst) {
    CWeeklyDaysDialog d("15");
    EXPECT_EQ(d.windowTitle(), "Weekly days");
    QListWidget* list = d.list();
    ASSERT_EQ(list->count(), 7);
    EXPECT_EQ(list->item(0)->text(), "Monday");
    EXPECT_EQ(list->item(6)->checkState(), Qt::Checked);  // '1' Sunday
    EXPECT_EQ(list->item(3)->checkState(), Qt::Checked);  // '5' Thursday
    emit list->itemDoubleClicked(list->item(3));
    emit list->itemDoubleClicked(list->item(1));
    d.accept();
    EXPECT_EQ(d.days(), "31");
}

}  // namespace
}  // namespace veltrin
