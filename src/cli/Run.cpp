#include <CLI/CLI.hpp>

#include <ostream>

#include "cli/Commands.h"

namespace veltrin::cli {

int BadArguments(Output io, const std::string& message) {
    std::string line = message;
    for (char& c : line)
        if (c == '\n') c = ' ';
    io.err << "veltrin-data: " << line << " (see veltrin-data --help)\n";
    return kBadArguments;
}

int RunVeltrinData(const std::vector<std::string>& args, Output io) {
    CLI::App program{
        "Reads Veltrin's built-in tables and data files from the terminal, puts daily backups back, and "
        "exports and imports iCalendar and vCard files.",
        "veltrin-data"};
    program.require_subcommand(1);
    const std::vector<Command> commands = {
        AddTownsCommand(program, io),   AddSunCommand(program, io),    AddDumpCommand(program, io),
        AddCheckCommand(program, io),   AddResaveCommand(program, io), AddAgendaCommand(program, io),
        AddDueCommand(program, io),     AddDayCommand(program, io),    AddBackupsCommand(program, io),
        AddRestoreCommand(program, io), AddExportCommand(program, io), AddImportCommand(program, io),
        AddSearchCommand(program, io),  AddSyncCommand(program, io),
    };

    std::vector<const char*> argv{"veltrin-data"};
    for (const std::string& a : args) argv.push_back(a.c_str());
    try {
        program.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success))
            return program.exit(e, io.out, io.err);  // --help
        return BadArguments(io, e.what());
    }
    for (const Command& c : commands)
        if (c.parser->parsed()) return c.run();
    return BadArguments(io, "no command given");
}

}  // namespace veltrin::cli
