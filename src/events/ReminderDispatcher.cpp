#include "events/ReminderDispatcher.h"

#include <filesystem>
#include <system_error>

#include "platform/ModuleFolder.h"
#include "platform/Platform.h"

namespace veltrin {

ReminderFileAction ReminderFileActionFor(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (ec || !fs::exists(st)) return ReminderFileAction::None;
    const fs::perms exec = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
    if (fs::is_regular_file(st) && (st.permissions() & exec) != fs::perms::none)
        return ReminderFileAction::Start;
    return ReminderFileAction::Open;
}

ReminderDispatcher::ReminderDispatcher(std::unique_ptr<ReminderPresenter> presenter)
    : presenter_(std::move(presenter)), soundPath_(ModuleFolder() + "/Notify.wav") {}

void ReminderDispatcher::Fire(const std::string& name, int icon, const EventDetails& details) {
    if (details.playSound) sound().play(soundPath_);
    if (details.runFile) {
        switch (ReminderFileActionFor(details.filePath)) {
        case ReminderFileAction::Start: shell().startProgram(details.filePath); break;
        case ReminderFileAction::Open: shell().open(details.filePath); break;
        case ReminderFileAction::None: break;
        }
    }
    if (details.showMessage) presenter_->ShowReminder(name, icon, details);
}

}  // namespace veltrin
