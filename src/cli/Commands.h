#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "base/Calendar.h"

namespace CLI {
class App;
}

namespace veltrin::cli {

inline constexpr int kBadArguments = 2;

// Where a command writes; tests pass string streams.
struct Output {
    std::ostream& out;
    std::ostream& err;
};

// A subcommand of veltrin-data: its parser, and what runs it once its
// arguments are parsed (returning the exit status).
struct Command {
    CLI::App* parser = nullptr;
    std::function<int()> run;
};

// One function per command; each adds its subcommand to the program's parser.
Command AddTownsCommand(CLI::App& program, Output io);
Command AddSunCommand(CLI::App& program, Output io);
Command AddDumpCommand(CLI::App& program, Output io);
Command AddCheckCommand(CLI::App& program, Output io);
Command AddResaveCommand(CLI::App& program, Output io);
Command AddAgendaCommand(CLI::App& program, Output io);
Command AddDueCommand(CLI::App& program, Output io);
Command AddDayCommand(CLI::App& program, Output io);
Command AddBackupsCommand(CLI::App& program, Output io);
Command AddRestoreCommand(CLI::App& program, Output io);
Command AddExportCommand(CLI::App& program, Output io);
Command AddImportCommand(CLI::App& program, Output io);
Command AddSearchCommand(CLI::App& program, Output io);
Command AddSyncCommand(CLI::App& program, Output io);

// The one-line complaint about the arguments, with the status that goes with it.
int BadArguments(Output io, const std::string& message);

// A date given as YYYY-MM-DD; empty when malformed or not a calendar day.
std::optional<CivilDate> ParseDate(const std::string& text);

// The date given as YYYY-MM-DD, or the local date at the moment when none is
// given; empty when malformed.
std::optional<CivilDate> DateOrDayOf(const std::string& text, std::int64_t moment);

// A local time given as "YYYY-MM-DD HH:MM:SS"; empty when malformed.
std::optional<std::int64_t> ParseLocalDateTime(const std::string& text);

// The moment given as "YYYY-MM-DD HH:MM:SS" local time, or the clock's now
// when none is given; empty when malformed.
std::optional<std::int64_t> MomentOrNow(const std::string& text);
// The complaint about an --at that is not such a moment.
std::string MalformedMomentMessage(const std::string& text);
// The complaint about a --date that is not YYYY-MM-DD.
std::string MalformedDateMessage(const std::string& text);
// The complaint about a --town that is not a row of a table of townCount.
std::string UnknownTownMessage(long long town, int townCount);

// The whole program, arguments without the program name.
int RunVeltrinData(const std::vector<std::string>& args, Output io);

}  // namespace veltrin::cli
