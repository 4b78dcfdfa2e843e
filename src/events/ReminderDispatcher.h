#pragma once

#include <memory>
#include <string>

#include "events/EventRecords.h"

namespace veltrin {

// The window side of a reminder: shows one reminder window, replacing the one
// it showed before. Destroying the presenter closes its window.
class ReminderPresenter {
public:
    virtual ~ReminderPresenter() = default;
    // icon: an index into the view's group icons, or -1 for the program's icon.
    virtual void ShowReminder(const std::string& name, int icon, const EventDetails& details) = 0;
};

// How a reminder's file is opened: not at all when it does not exist (a
// missing file must not turn into a web address), started itself when it is
// an executable file, else handed to the desktop's opener.
enum class ReminderFileAction { None, Start, Open };
ReminderFileAction ReminderFileActionFor(const std::string& path);

// Performs reminders for one view; it owns that view's one reminder window.
class ReminderDispatcher {
public:
    explicit ReminderDispatcher(std::unique_ptr<ReminderPresenter> presenter);

    // Sound "Notify.wav" beside the program, then the file, then the window,
    // each as the details choose. Nothing is reported back.
    void Fire(const std::string& name, int icon, const EventDetails& details);

    ReminderPresenter& presenter() { return *presenter_; }

private:
    std::unique_ptr<ReminderPresenter> presenter_;
    // Found once: the program does not move while it runs, and a reminder
    // fires inside a tick, which must not ask the file system.
    std::string soundPath_;
};

}  // namespace veltrin
