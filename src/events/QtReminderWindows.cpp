#include "events/QtReminderWindows.h"

#include "events/CReminderWindow.h"

namespace veltrin {

QtReminderWindows::QtReminderWindows() = default;
QtReminderWindows::~QtReminderWindows() = default;

void QtReminderWindows::ShowReminder(const std::string& name, int icon, const EventDetails& details) {
    window_.reset();
    const bool known = icon >= 0 && static_cast<std::size_t>(icon) < icons_.size();
    window_ = std::make_unique<CReminderWindow>(name, details, known ? QIcon(icons_[icon]) : QIcon());
    window_->show();
}

}  // namespace veltrin
