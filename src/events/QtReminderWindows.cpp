#include "events/QtReminderWindows.h"

#include <algorithm>

#include "events/CReminderWindow.h"

namespace veltrin {

namespace {
// Each further open window is set off this far, so none hides another whole.
constexpr int kCascadeStep = 24;
}  // namespace

QtReminderWindows::QtReminderWindows() = default;
QtReminderWindows::~QtReminderWindows() = default;

void QtReminderWindows::ShowReminder(const std::string& name, int icon, const EventDetails& details) {
    windows_.erase(
        std::remove_if(windows_.begin(), windows_.end(), [](const auto& w) { return w->isHidden(); }),
        windows_.end());
    const bool known = icon >= 0 && static_cast<std::size_t>(icon) < icons_.size();
    auto window = std::make_unique<CReminderWindow>(name, details, known ? QIcon(icons_[icon]) : QIcon());
    if (!windows_.empty()) {
        const QPoint last = windows_.back()->pos();
        window->move(last + QPoint(kCascadeStep, kCascadeStep));
    }
    CReminderWindow* shown = window.get();
    QObject::connect(shown, &CReminderWindow::snoozed, shown, [this, shown](int choice) {
        if (onSnooze_) onSnooze_(shown->details(), choice);
    });
    window->show();
    windows_.push_back(std::move(window));
}

}  // namespace veltrin
