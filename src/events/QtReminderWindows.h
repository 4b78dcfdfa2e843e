#pragma once

#include <QPixmap>
#include <functional>
#include <memory>
#include <vector>

#include "events/ReminderDispatcher.h"

namespace veltrin {

class CReminderWindow;

// The reminder windows: one per reminder, so two reminders due together are
// both seen. A window the user closed goes when the next one opens;
// destroying this destroys them all.
class QtReminderWindows : public ReminderPresenter {
public:
    QtReminderWindows();
    ~QtReminderWindows() override;

    // The pictures the icon numbers of ShowReminder name (the group icons).
    void setIcons(std::vector<QPixmap> icons) { icons_ = std::move(icons); }

    void ShowReminder(const std::string& name, int icon, const EventDetails& details) override;

    // Told when a window's "Snooze" is pressed: the event and the choice.
    void setOnSnooze(std::function<void(const EventDetails&, int)> onSnooze) {
        onSnooze_ = std::move(onSnooze);
    }

    // The window opened last, or none.
    CReminderWindow* window() const { return windows_.empty() ? nullptr : windows_.back().get(); }
    // How many windows are kept, shown or closed but not yet gone.
    std::size_t count() const { return windows_.size(); }

private:
    std::vector<QPixmap> icons_;
    std::function<void(const EventDetails&, int)> onSnooze_;
    std::vector<std::unique_ptr<CReminderWindow>> windows_;
};

}  // namespace veltrin
