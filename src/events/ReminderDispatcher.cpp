#include "events/ReminderDispatcher.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/DataLocation.h"
#include "platform/Platform.h"
#include "storage/StoredText.h"

namespace veltrin {

namespace {

// Whether a file begins the way the system runs it: an ELF image or a script
// naming its interpreter.
bool StartsAsProgram(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[4] = {};
    in.read(head, sizeof head);
    const std::streamsize got = in.gcount();
    if (got >= 2 && head[0] == '#' && head[1] == '!') return true;
    return got == 4 && head[0] == '\x7F' && head[1] == 'E' && head[2] == 'L' && head[3] == 'F';
}

// Runs or opens a reminder's file; what went wrong, or nothing.
std::string RunReminderFile(const std::string& target) {
    if (target.empty()) return {};
    const std::string shown = "\"" + StoredTextToUtf8(target) + "\"";
    switch (ReminderFileActionFor(target)) {
    case ReminderFileAction::Start:
        return shell().startProgram(target) ? std::string() : "Cannot start " + shown + ".";
    case ReminderFileAction::Open: return shell().open(target) ? std::string() : "Cannot open " + shown + ".";
    case ReminderFileAction::None: break;
    }
    return "Cannot find " + shown + ".";
}

}  // namespace

bool IsAddress(const std::string& target) {
    const std::size_t colon = target.find(':');
    if (colon == std::string::npos || colon < 2 || colon + 1 == target.size()) return false;
    if (!std::isalpha(static_cast<unsigned char>(target[0]))) return false;
    for (std::size_t i = 1; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(target[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

ReminderFileAction ReminderFileActionFor(const std::string& target) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status st = fs::status(target, ec);
    if (ec || !fs::exists(st)) return IsAddress(target) ? ReminderFileAction::Open : ReminderFileAction::None;
    const fs::perms exec = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
    if (fs::is_regular_file(st) && (st.permissions() & exec) != fs::perms::none && StartsAsProgram(target))
        return ReminderFileAction::Start;
    return ReminderFileAction::Open;
}

ReminderDispatcher::ReminderDispatcher(std::unique_ptr<ReminderPresenter> presenter)
    : presenter_(std::move(presenter)), soundPath_(ShippedFolder() + "/Notify.wav") {}

void ReminderDispatcher::Fire(const std::string& name, int icon, const EventDetails& details) {
    if (details.playSound) sound().play(soundPath_);
    const std::string failure = details.runFile ? RunReminderFile(details.filePath) : std::string();
    if (details.showMessage) presenter_->ShowReminder(name, icon, details);
    // Said last, so that the reminder's own window does not cover it.
    if (!failure.empty()) messages().notice(failure);
}

}  // namespace veltrin
