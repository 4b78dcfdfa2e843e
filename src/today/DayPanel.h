#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "today/CityTable.h"

namespace veltrin {

// The day panel: a town's standard time and today's sun times as lines of
// text, line n drawn at n times the line step.
inline constexpr int kDayPanelLineCount = 18;
inline constexpr int kDayPanelHeight = 800;
inline constexpr int kDayPanelLeft = 10;

// The lines by number, 0 to 17; the numbers between the groups are empty.
// now is seconds since 1970 (UT); the sun times are those of the computer's
// local date at now, shown in the town's standard time (never summer time).
// Without seconds every time and the day length lose them.
std::vector<std::string> DayPanelLines(const CityInfo& town, std::int64_t now, bool showSeconds);

// The line step (and the font's pixel size) for a stored dayInfoFontSize:
// none, negative or zero gives the default 18, anything beyond 200 gives
// 200, so the lines stay readable and their positions cannot overflow.
int DayPanelLineStep(std::int32_t fontSize);

}  // namespace veltrin
