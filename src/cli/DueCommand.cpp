#include <CLI/CLI.hpp>

#include <memory>
#include <ostream>

#include "cli/DataFiles.h"
#include "events/Countdown.h"
#include "events/ReminderEngine.h"

namespace veltrin::cli {

namespace {

struct DueOptions {
    std::string data;
    std::string at;
};

int RunDue(const DueOptions& o, Output io) {
    const std::optional<std::int64_t> moment = MomentOrNow(o.at);
    if (!moment) return BadArguments(io, MalformedMomentMessage(o.at));
    EventStore store;
    if (const int failed = LoadEventsOfFolder(o.data, io, store)) return failed;

    // The program started at that moment: what is due on it fires, what came
    // due before is missed. The store is a copy, so nothing is kept.
    std::vector<Snooze> snoozes;
    const std::string snoozeFile = o.data + "/" + kSnoozesFileName;
    std::string why;
    if (!LoadSnoozes(snoozeFile, snoozes, &why)) io.err << snoozeFile << ": " << why << '\n';
    ReminderEngine engine(store);
    engine.SetSnoozes(std::move(snoozes));
    engine.WatchFrom(*moment);
    for (const DueReminder& r : engine.Pass(*moment))
        io.out << (r.missed ? "missed" : "fires") << '\t' << OneLine(r.name) << '\t' << DueTimeText(r.due)
               << '\t' << OneLine(r.details.comment) << '\n';
    return 0;
}

}  // namespace

Command AddDueCommand(CLI::App& program, Output io) {
    auto options = std::make_shared<DueOptions>();
    CLI::App* parser = program.add_subcommand(
        "due",
        "List the reminders of Events.dat in a data folder that fire at a moment (\"fires\") or "
        "came due before it while the program was not running (\"missed\"), snoozes of "
        "Snoozes.txt included: one line per "
        "reminder, in order of due time, with the event's name, due time and comment separated "
        "by tabs. Fires no reminder and writes nothing.");
    parser->add_option("--data", options->data, "The data folder that holds Events.dat")->required();
    parser->add_option("--at", options->at,
                       "The moment, local time, as \"YYYY-MM-DD HH:MM:SS\" (default: now)");
    return {parser, [options, io] { return RunDue(*options, io); }};
}

}  // namespace veltrin::cli
