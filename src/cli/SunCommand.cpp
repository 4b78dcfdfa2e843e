#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cmath>
#include <memory>
#include <optional>
#include <ostream>

#include "cli/Commands.h"
#include "events/LocalTime.h"
#include "platform/Platform.h"
#include "today/SunTimes.h"

namespace veltrin::cli {

namespace {

struct SunOptions {
    long long town = -1;
    std::string date;
};

std::optional<CivilDate> ParseDate(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
    const CivilDate date{std::stoi(text.substr(0, 4)), std::stoi(text.substr(5, 2)),
                         std::stoi(text.substr(8, 2))};
    if (date.year < 1 || date.month < 1 || date.month > 12 || date.day < 1 ||
        date.day > DaysInMonth(date.year, date.month))
        return std::nullopt;
    return date;
}

nlohmann::ordered_json Minutes(double m) {
    return std::isfinite(m) ? nlohmann::ordered_json(m) : nlohmann::ordered_json(nullptr);
}

int RunSun(const SunOptions& o, Output io) {
    const CityTable table = BuiltInCityTable();
    if (!table.contains(o.town))
        return BadArguments(io, "unknown town index " + std::to_string(o.town) +
                                    " (valid: 0 to " + std::to_string(table.count() - 1) + ")");
    CivilDate date{};
    if (o.date.empty()) {
        const DateTime today = BreakDownLocal(clock().now());
        date = {today.year, today.month, today.day};
    } else if (const auto parsed = ParseDate(o.date)) {
        date = *parsed;
    } else {
        return BadArguments(io, "malformed date '" + o.date + "' (expected YYYY-MM-DD)");
    }

    const CityInfo town = table.at(static_cast<int>(o.town));
    const double latitude = NorthLatitude(town), longitude = WestLongitude(town);
    const int n = DayOfYear(date.month, date.day, IsLeapYear(date.year));
    const SunTimes times = ComputeSunTimes(town, date);
    const SunTexts texts = MakeSunTexts(times, town.timeZone);

    nlohmann::ordered_json j;
    j["country"] = town.country;
    j["town"] = town.town;
    j["sunriseMinutes"] = Minutes(SunriseMinutes(n, latitude, longitude));
    j["sunsetMinutes"] = Minutes(SunsetMinutes(n, latitude, longitude));
    j["solarNoonMinutes"] = Minutes(SolarNoonMinutes(n, longitude));
    j["sunrise"] = texts.sunrise;
    j["sunset"] = texts.sunset;
    j["solarNoon"] = texts.solarNoon;
    j["dayLength"] = texts.dayLength;
    io.out << j.dump(2) << '\n';
    return 0;
}

}  // namespace

Command AddSunCommand(CLI::App& program, Output io) {
    auto options = std::make_shared<SunOptions>();
    CLI::App* parser = program.add_subcommand(
        "sun",
        "Print one JSON object with a town's sunrise, sunset and solar noon in minutes after "
        "00:00 UT (null when the sun does not cross the horizon), and the texts the Today "
        "view shows in the town's standard time (\"--:--:--\" for a missing time), with the "
        "length of the day.");
    parser->add_option("--town", options->town, "Row of the town, as `veltrin-data towns` lists it")
        ->required();
    parser->add_option("--date", options->date, "Date as YYYY-MM-DD (default: today)");
    return {parser, [options, io] { return RunSun(*options, io); }};
}

}  // namespace veltrin::cli
