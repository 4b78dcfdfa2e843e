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

// How a reminder's file is opened. Only a real program is started itself: a
// regular executable file that begins as an ELF image or with "#!". File
// systems that mark every file executable (FAT, NTFS, network shares) would
// otherwise have documents "started". Everything else that is there, and a
// web or mail address, goes to the desktop's opener. A missing file is not
// opened at all: it must not turn into a web address.
enum class ReminderFileAction { None, Start, Open };
ReminderFileAction ReminderFileActionFor(const std::string& target);

// Whether a text is an address with a scheme ("https://…", "mailto:…")
// rather than a file name. A drive letter ("C:\…") is no scheme.
bool IsAddress(const std::string& target);

// Performs reminders for one view; it owns that view's one reminder window.
class ReminderDispatcher {
public:
    explicit ReminderDispatcher(std::unique_ptr<ReminderPresenter> presenter);

    // Sound "Notify.wav" beside the program, then the file, then the window,
    // each as the details choose. A file that cannot be opened is reported
    // as a notice that does not wait for the user; nothing else is.
    void Fire(const std::string& name, int icon, const EventDetails& details);

    ReminderPresenter& presenter() { return *presenter_; }

private:
    std::unique_ptr<ReminderPresenter> presenter_;
    // Found once: the program does not move while it runs, and a reminder
    // fires inside a tick, which must not ask the file system.
    std::string soundPath_;
};

}  // namespace veltrin
