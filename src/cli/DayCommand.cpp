#include <CLI/CLI.hpp>

#include <memory>
#include <ostream>

#include "cli/Commands.h"
#include "today/DayPanel.h"

namespace veltrin::cli {

namespace {

struct DayOptions {
    long long town = -1;
    std::string at;
    bool seconds = false;
};

int RunDay(const DayOptions& o, Output io) {
    const CityTable table = BuiltInCityTable();
    if (!table.contains(o.town)) return BadArguments(io, UnknownTownMessage(o.town, table.count()));
    const std::optional<std::int64_t> moment = MomentOrNow(o.at);
    if (!moment) return BadArguments(io, MalformedMomentMessage(o.at));
    const std::int64_t now = *moment;
    for (const std::string& line : DayPanelLines(table.at(static_cast<int>(o.town)), now, o.seconds))
        io.out << line << '\n';
    return 0;
}

}  // namespace

Command AddDayCommand(CLI::App& program, Output io) {
    auto options = std::make_shared<DayOptions>();
    CLI::App* parser = program.add_subcommand(
        "day",
        "Print the lines of the Today view's day panel for a town, one a line and the empty "
        "ones included: country, town, the town's standard time and date, sunrise, sunset, "
        "the length of the day and solar noon for the local date of the moment.");
    parser->add_option("--town", options->town, "Row of the town, as `veltrin-data towns` lists it")
        ->required();
    parser->add_option("--at", options->at,
                       "The moment, local time, as \"YYYY-MM-DD HH:MM:SS\" (default: now)");
    parser->add_flag("--seconds", options->seconds, "Show seconds in the times");
    return {parser, [options, io] { return RunDay(*options, io); }};
}

}  // namespace veltrin::cli
