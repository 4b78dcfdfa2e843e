#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "events/ReminderDispatcher.h"
#include "events/ReminderEngine.h"

class QTimer;

namespace veltrin {

class CMissedRemindersWindow;
class QtReminderWindows;

class QtClockChangeWatch;

// Runs the reminder engine for the whole program: one timer wakes it at the
// next due second, whatever view is shown and also while the window is
// hidden. A wall clock that jumps (set by hand, a resume) wakes it at once.
class QtReminderService : public QObject {
    Q_OBJECT
public:
    // The longest sleep with nothing due: only a safety net, since a jump of
    // the clock wakes the engine anyway.
    static constexpr int kLongestSleepMs = 3600000;
    // Where the system cannot tell of a jump, it is noticed by then.
    static constexpr int kUnwatchedSleepMs = 60000;

    explicit QtReminderService(EventStore& store, QObject* parent = nullptr);
    ~QtReminderService() override;

    void setLists(GroupTreeModel* todayList, GroupTreeModel* eventsList);
    // The group icons and which of them an event's group has.
    void setIcons(std::vector<QPixmap> icons, std::function<int(std::int32_t)> iconFor);

    // Where snoozes are kept; those it holds are loaded (a file that does
    // not read whole is reported and kept aside before it is written again).
    void setSnoozeFile(const std::string& path);
    // Puts the reminder of an event off by a choice of SnoozeChoiceTexts and
    // keeps that in the snooze file.
    void snooze(std::int32_t eventId, int choice);

    // Watches from now on: what came due before is listed as missed at the
    // first wake.
    void start();
    // A pass now: reminders due are performed, missed ones listed; then the
    // timer is set for the next due second.
    void wake();

    QTimer* timer() const { return timer_; }
    QtClockChangeWatch* clockWatch() const { return clockWatch_; }
    QtReminderWindows& windows() const { return *windows_; }
    // The "Missed reminders" window, once something was missed.
    CMissedRemindersWindow* missedWindow() const { return missed_.get(); }

signals:
    // A wake moved events on: their records changed and want saving.
    void remindersDue();

private:
    ReminderEngine engine_;
    QtReminderWindows* windows_;  // owned by dispatcher_
    ReminderDispatcher dispatcher_;
    std::function<int(std::int32_t)> iconFor_;
    QTimer* timer_;
    QtClockChangeWatch* clockWatch_;
    QElapsedTimer steady_;
    std::unique_ptr<CMissedRemindersWindow> missed_;
    std::string snoozeFile_;
    std::vector<Snooze> savedSnoozes_;  // as the file holds them

    void saveSnoozes();
};

}  // namespace veltrin
