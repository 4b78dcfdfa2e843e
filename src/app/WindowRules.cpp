#include "app/WindowRules.h"

#include "settings/ViewIndex.h"

namespace veltrin {

bool IsAutorunStart(const std::vector<std::string>& arguments) {
    static const std::string kDataOption = "--data";
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == kDataOption) {
            ++i;
            continue;
        }
        if (a.compare(0, kDataOption.size() + 1, kDataOption + "=") == 0) continue;
        if (a.find("/autorun") != std::string::npos) return true;
    }
    return false;
}

int ListToCommitBefore(int nextView) {
    if (nextView == kTodayView) return kEventsView;
    if (nextView == kEventsView) return kTodayView;
    return -1;
}

int TickPeriodMs(int view, const AppSettings& s) {
    if (view != kTodayView && view != kEventsView) return 0;
    return s.showSeconds ? 1000 : 60000;
}

CloseAction CloseActionFor(const AppSettings& s) {
    return s.minimizeOnClose ? CloseAction::HideToTray : CloseAction::Exit;
}

bool AsksBeforeExit(const AppSettings& s) { return s.askOnExit != 0; }

MinimizeAction MinimizeActionFor(const AppSettings& s, bool trayAvailable) {
    if (!s.minimizeToTray) return MinimizeAction::Nothing;
    return trayAvailable ? MinimizeAction::HideToTray : MinimizeAction::SaveOnly;
}

}  // namespace veltrin
