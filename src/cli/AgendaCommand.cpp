#include <CLI/CLI.hpp>

#include <memory>
#include <ostream>

#include "cli/DataFiles.h"
#include "events/Countdown.h"
#include "events/EventTrees.h"
#include "today/ComingEvents.h"

namespace veltrin::cli {

namespace {

struct AgendaOptions {
    std::string data;
    std::string at;
    std::string date;
    std::string period = "day";
    bool seconds = false;
};

int RunAgenda(const AgendaOptions& o, Output io) {
    const std::optional<std::int64_t> moment = MomentOrNow(o.at);
    if (!moment) return BadArguments(io, MalformedMomentMessage(o.at));
    const std::int64_t now = *moment;
    const std::optional<CivilDate> date = DateOrDayOf(o.date, now);
    if (!date) return BadArguments(io, MalformedDateMessage(o.date));
    const char* const names[] = {"day", "week", "month", "year"};
    int period = -1;
    for (int p = kPeriodDay; p <= kPeriodYear; ++p)
        if (o.period == names[p]) period = p;
    if (period < 0)
        return BadArguments(io, "unknown period '" + o.period + "' (expected day, week, month or year)");

    EventStore store;
    if (const int failed = LoadEventsOfFolder(o.data, io, store)) return failed;

    // The list the Today view would fill; the store is a copy, so nothing is kept.
    GroupTreeModel list;
    FillComingEvents(store, list, *date, static_cast<ComingEventsPeriod>(period), now);
    for (NodeHandle row = list.GetNextItem(kRootNode, kFirstChild); row != kNoNode;
         row = list.GetNextItem(row, kNextSibling)) {
        const EventDetails details = list.GetEventRecord<EventDetails>(row);
        const CountdownTexts texts =
            EventCountdownTexts(details.schedule, list.GetCheck(row, kEventNameColumn) == 1, o.seconds, now);
        io.out << OneLine(list.GetItemText(row, kEventNameColumn)) << '\t' << texts.time << '\t' << texts.left
               << '\t' << list.GetItemText(row, kEventPriorityColumn) << '\n';
    }
    return 0;
}

}  // namespace

Command AddAgendaCommand(CLI::App& program, Output io) {
    auto options = std::make_shared<AgendaOptions>();
    CLI::App* parser = program.add_subcommand(
        "agenda",
        "List the coming events of Events.dat in a data folder as the Today view lists them "
        "for a selected date and period: one line per event, sorted by name, with the texts "
        "of the columns \"Event Name\", \"Time\", \"Left\" and \"Priority\" separated by tabs "
        "(tabs and line breaks within a name become blanks). Fires no reminder and writes "
        "nothing.");
    parser->add_option("--data", options->data, "The data folder that holds Events.dat")->required();
    parser->add_option("--at", options->at,
                       "The moment, local time, as \"YYYY-MM-DD HH:MM:SS\" (default: now)");
    parser->add_option("--date", options->date,
                       "The selected date as YYYY-MM-DD (default: the day of that moment)");
    parser->add_option("--period", options->period,
                       "day, week (Monday to Sunday, holding the date), month or year (default: day)");
    parser->add_flag("--seconds", options->seconds, "Show seconds in the \"Left\" texts");
    return {parser, [options, io] { return RunAgenda(*options, io); }};
}

}  // namespace veltrin::cli
