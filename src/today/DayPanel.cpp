#include "today/DayPanel.h"

#include "base/LocalTime.h"
#include "today/SunTimes.h"

namespace veltrin {

namespace {

constexpr int kDefaultLineStep = 18;
constexpr int kLargestLineStep = 200;

std::string TownClock(std::int64_t instant, double timeZone, bool showSeconds) {
    return ClockTextInZone(instant, timeZone, showSeconds ? "%H:%M:%S, %A" : "%H:%M, %A");
}

std::string NoTime(bool showSeconds) {
    const std::string mark = kNoSunTimeText;
    return showSeconds ? mark : mark.substr(0, mark.size() - 3);
}

}  // namespace

std::vector<std::string> DayPanelLines(const CityInfo& town, std::int64_t now, bool showSeconds) {
    const DateTime local = BreakDownLocal(now);
    const SunTimes sun = ComputeSunTimes(town, CivilDate{local.year, local.month, local.day});

    std::vector<std::string> lines(kDayPanelLineCount);
    lines[0] = "Country: " + town.country;
    lines[1] = "Town: " + town.town;
    lines[3] = "Local time:";
    lines[4] = TownClock(now, town.timeZone, showSeconds);
    lines[5] = ClockTextInZone(now, town.timeZone, "%B %d, %Y");
    lines[7] = "Sunrise time:";
    lines[8] = sun.hasSunrise ? TownClock(sun.sunrise, town.timeZone, showSeconds) : NoTime(showSeconds);
    lines[10] = "Sunset time:";
    lines[11] = sun.hasSunset ? TownClock(sun.sunset, town.timeZone, showSeconds) : NoTime(showSeconds);
    lines[13] = "Length of the Day:";
    lines[14] = sun.path == SunPath::Mixed ? NoTime(showSeconds) : SpanText(sun.dayLength, showSeconds);
    lines[16] = "Solar noon time:";
    lines[17] = TownClock(sun.solarNoon, town.timeZone, showSeconds);
    return lines;
}

int DayPanelLineStep(std::int32_t fontSize) {
    if (fontSize < 1) return kDefaultLineStep;
    return fontSize > kLargestLineStep ? kLargestLineStep : static_cast<int>(fontSize);
}

}  // namespace veltrin
