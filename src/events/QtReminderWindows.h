#pragma once

#include <QPixmap>
#include <memory>
#include <vector>

#include "events/ReminderDispatcher.h"

namespace veltrin {

class CReminderWindow;

// A view's one reminder window: each reminder replaces the window of the one
// before; destroying this destroys the window.
class QtReminderWindows : public ReminderPresenter {
public:
    QtReminderWindows();
    ~QtReminderWindows() override;

    // The pictures the icon numbers of ShowReminder name (a view's group icons).
    void setIcons(std::vector<QPixmap> icons) { icons_ = std::move(icons); }

    void ShowReminder(const std::string& name, int icon, const EventDetails& details) override;

    CReminderWindow* window() const { return window_.get(); }

private:
    std::vector<QPixmap> icons_;
    std::unique_ptr<CReminderWindow> window_;
};

}  // namespace veltrin
