#include "events/QtReminderService.h"

#include <QTimer>
#include <algorithm>

#include "events/CMissedRemindersWindow.h"
#include "events/QtReminderWindows.h"
#include "platform/Platform.h"
#include "platform/QtClockChangeWatch.h"
#include "storage/SafeFile.h"

namespace veltrin {

QtReminderService::QtReminderService(EventStore& store, QObject* parent)
    : QObject(parent),
      engine_(store),
      windows_(new QtReminderWindows),
      dispatcher_(std::unique_ptr<ReminderPresenter>(windows_)),
      timer_(new QTimer(this)),
      clockWatch_(new QtClockChangeWatch(this)) {
    timer_->setObjectName(QStringLiteral("reminders"));
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &QtReminderService::wake);
    connect(clockWatch_, &QtClockChangeWatch::clockChanged, this, &QtReminderService::wake);
    steady_.start();  // a monotonic clock: it stands still while the machine sleeps
    windows_->setOnSnooze([this](const EventDetails& d, int choice) { snooze(d.eventId, choice); });
}

void QtReminderService::setSnoozeFile(const std::string& path) {
    snoozeFile_ = path;
    std::vector<Snooze> loaded;
    std::string why;
    if (!LoadSnoozes(path, loaded, &why)) {
        const std::string aside = KeepCopyAside(path, ".unread");
        messages().notice("Cannot read all snoozes from \"" + path + "\": " + why + "." +
                          (aside.empty() ? std::string() : " The file is kept as \"" + aside + "\"."));
    }
    engine_.SetSnoozes(loaded);
    savedSnoozes_ = loaded;
}

void QtReminderService::snooze(std::int32_t eventId, int choice) {
    const std::optional<std::int64_t> until = SnoozeUntil(choice, clock().now());
    if (!until) return;
    engine_.AddSnooze({eventId, *until});
    saveSnoozes();
    wake();
}

void QtReminderService::saveSnoozes() {
    if (snoozeFile_.empty() || engine_.snoozes() == savedSnoozes_) return;
    std::string why;
    if (SaveSnoozes(snoozeFile_, engine_.snoozes(), &why))
        savedSnoozes_ = engine_.snoozes();
    else
        messages().notice("Cannot write \"" + snoozeFile_ + "\": " + why + ".");
}

QtReminderService::~QtReminderService() = default;

void QtReminderService::setLists(GroupTreeModel* todayList, GroupTreeModel* eventsList) {
    engine_.SetLists(todayList, eventsList);
}

void QtReminderService::setIcons(std::vector<QPixmap> icons, std::function<int(std::int32_t)> iconFor) {
    windows_->setIcons(std::move(icons));
    iconFor_ = std::move(iconFor);
}

void QtReminderService::start() {
    engine_.WatchFrom(clock().now());
    wake();
}

void QtReminderService::wake() {
    const std::vector<DueReminder> due = engine_.Wake(clock().now(), steady_.elapsed());
    PerformReminders(dispatcher_, due, iconFor_);
    saveSnoozes();  // those that came due are done
    const std::vector<DueReminder> missed = MissedReminders(due);
    if (!missed.empty()) {
        if (!missed_ || missed_->isHidden()) missed_ = std::make_unique<CMissedRemindersWindow>();
        missed_->addReminders(missed);
        missed_->show();
        missed_->raise();
    }
    if (!due.empty()) emit remindersDue();
    const std::int64_t now = clock().now();
    const std::int64_t next = engine_.NextWake(now);
    const int longest = clockWatch_->watching() ? kLongestSleepMs : kUnwatchedSleepMs;
    const std::int64_t waitMs = next == kNoWake ? longest : std::max<std::int64_t>(0, next - now) * 1000;
    timer_->start(static_cast<int>(std::clamp<std::int64_t>(waitMs, 100, longest)));
}

}  // namespace veltrin
