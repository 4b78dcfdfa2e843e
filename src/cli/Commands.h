#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

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

// The one-line complaint about the arguments, with the status that goes with it.
int BadArguments(Output io, const std::string& message);

// The whole program, arguments without the program name.
int RunVeltrinData(const std::vector<std::string>& args, Output io);

}  // namespace veltrin::cli
