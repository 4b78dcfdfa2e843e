#pragma once

#include <string>
#include <vector>

#include "settings/AppSettings.h"

namespace veltrin {

// The main window's rules, apart from its widgets.

// Whether the program was started at login: "/autorun" anywhere in an
// argument, case-sensitive. The program's own path and the folder of
// "--data" are names, not switches, so they do not count.
bool IsAutorunStart(const std::vector<std::string>& arguments);

// Which view's event list hands its rows back before nextView is shown: at
// most one of the Today and the Events lists holds rows, and the one being
// shown takes them. -1 when neither must.
int ListToCommitBefore(int nextView);

// How often the shown view ticks: every second with seconds shown, else
// every minute; 0 for a view without a clock.
int TickPeriodMs(int view, const AppSettings& s);

// What closing the main window does: hide it in the tray, or end the program
// (after the question when AsksBeforeExit).
enum class CloseAction { HideToTray, Exit };
CloseAction CloseActionFor(const AppSettings& s);
bool AsksBeforeExit(const AppSettings& s);

// What minimizing the main window does: hide it in the tray, only save (no
// notification area to hide in), or nothing beyond minimizing.
enum class MinimizeAction { Nothing, HideToTray, SaveOnly };
MinimizeAction MinimizeActionFor(const AppSettings& s, bool trayAvailable);

}  // namespace veltrin
