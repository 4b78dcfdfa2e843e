#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cmath>
#include <memory>
#include <ostream>

#include "cli/Commands.h"
#include "platform/Platform.h"
#include "today/SunTimes.h"

namespace veltrin::cli {

namespace {

struct SunOptions {
    long long town = -1;
    std::string date;
};

nlohmann::ordered_json Minutes(double m) {
    return std::isfinite(m) ? nlohmann::ordered_json(m) : nlohmann::ordered_json(nullptr);
}

int RunSun(const SunOptions& o, Output io) {
    const CityTable table = BuiltInCityTable();
    if (!table.contains(o.town)) return BadArguments(io, UnknownTownMessage(o.town, table.count()));
    const std::optional<CivilDate> given = DateOrDayOf(o.date, clock().now());
    if (!given) return BadArguments(io, MalformedDateMessage(o.date));
    const CivilDate date = *given;

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
