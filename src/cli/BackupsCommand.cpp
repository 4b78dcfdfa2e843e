#include <CLI/CLI.hpp>

#include <memory>
#include <ostream>

#include "cli/DataFiles.h"
#include "storage/Backups.h"

namespace veltrin::cli {

namespace {

int RunBackups(const std::string& dataFolder, Output io) {
    std::string why;
    const std::vector<std::string> days = BackupDays(dataFolder, &why);
    if (!why.empty()) {
        io.err << "veltrin-data: cannot read " << BackupFolderOf(dataFolder) << ": " << why << '\n';
        return 1;
    }
    for (const std::string& day : days) {
        const std::string folder = BackupFolderOf(dataFolder) + "/" + day;
        for (const DataFileKind* kind : kDataFileKinds) {
            const std::string path = folder + "/" + kind->fileName;
            const std::optional<FileState> state = StateOfFile(path);
            if (!state) continue;
            auto file = std::make_unique<AnyDataFile>();
            const LoadResult r = LoadAnyDataFile(path, *file);
            io.out << day << '\t' << kind->fileName << '\t' << state->size << '\t'
                   << LoadVerdict(r, *file, *kind) << '\n';
        }
    }
    if (days.empty()) io.err << "veltrin-data: no backups in " << BackupFolderOf(dataFolder) << '\n';
    return 0;
}

}  // namespace

Command AddBackupsCommand(CLI::App& program, Output io) {
    auto data = std::make_shared<std::string>();
    CLI::App* parser = program.add_subcommand(
        "backups",
        "List the daily backup copies of a data folder, oldest day first: one line per copy "
        "with its day (YYYY-MM-DD), file name, size in bytes and whether it loads whole, "
        "separated by tabs. Writes nothing.");
    parser->add_option("--data", *data, "The data folder")->required();
    return {parser, [data, io] { return RunBackups(*data, io); }};
}

}  // namespace veltrin::cli
