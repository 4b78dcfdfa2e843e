#include <CLI/CLI.hpp>

#include <cstdio>
#include <ostream>

#include "cli/Commands.h"
#include "today/CityTable.h"

namespace veltrin::cli {

namespace {

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", v);
    return text;
}

}  // namespace

Command AddTownsCommand(CLI::App& program, Output io) {
    CLI::App* parser =
        program.add_subcommand("towns",
                               "List the built-in towns, one a line: index, country, town, latitude (north "
                               "positive), longitude (east positive) and standard-time zone in hours, "
                               "separated by tabs.");
    return {parser, [io] {
                const CityTable table = BuiltInCityTable();
                for (int i = 0; i < table.count(); ++i) {
                    const CityInfo& c = table.rows()[static_cast<std::size_t>(i)];
                    io.out << i << '\t' << c.country << '\t' << c.town << '\t' << Number(NorthLatitude(c))
                           << '\t' << Number(EastLongitude(c)) << '\t' << Number(c.timeZone) << '\n';
                }
                return 0;
            }};
}

}  // namespace veltrin::cli
