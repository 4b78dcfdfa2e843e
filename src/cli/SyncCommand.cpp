#include <CLI/CLI.hpp>

#include <memory>
#include <ostream>

#include "cli/DataFiles.h"
#include "platform/InstanceLock.h"
#include "platform/Platform.h"
#include "sync/SyncRun.h"

namespace veltrin::cli {

namespace {

struct SyncOptions {
    std::string data;
    bool allowMassDelete = false;
};

int RunSync(const SyncOptions& o, Output io) {
    // Held throughout: a program started meanwhile would write over the sync.
    InstanceLock lock;
    if (!HoldDataFolder(lock, o.data, io)) return 1;
    SyncRequest request;
    request.dataFolder = o.data;
    request.allowMassDelete = o.allowMassDelete;
    request.now = clock().now();
    const SyncReport report = SyncDataFolder(request);
    io.out << report.Summary();
    if (!report.ok) {
        io.err << "veltrin-data: " << report.error << ".\n";
        if (report.massDelete) io.err << "Run again with --allow-mass-delete if that is what you want.\n";
        if (!report.dataChanged) io.err << "No data file was changed.\n";
        return 1;
    }
    return 0;
}

}  // namespace

Command AddSyncCommand(CLI::App& program, Output io) {
    auto options = std::make_shared<SyncOptions>();
    CLI::App* parser = program.add_subcommand(
        "sync",
        "Sync the events, diary pages, notes and contacts of a data folder both ways with the CalDAV and "
        "CardDAV server named in its sync/config. "
        "Nothing is lost: what changed on both sides is kept twice (a diary page holds both versions, "
        "since a day has one page). The day's backup is kept before a "
        "data file changes. Refused (exit status 1) while Veltrin runs with that data folder.");
    parser->add_option("--data", options->data, "The data folder")->required();
    parser->add_flag(
        "--allow-mass-delete", options->allowMassDelete,
        "Go ahead when a sync would delete more than a quarter of a kind's items, or empty a kind");
    return {parser, [options, io] { return RunSync(*options, io); }};
}

}  // namespace veltrin::cli
