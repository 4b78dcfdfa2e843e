// The running program seen from another login, a cron job or an ssh session:
// they have a runtime folder of their own, or none.
#include <gtest/gtest.h>

#include "e2e/ProgramRun.h"

using namespace veltrin;
using namespace veltrin::e2e;

namespace {

struct CommandRun {
    int status = -1;
    std::string output;
};

// Runs veltrin-data in a shell of its own with the environment settings in
// front of it.
CommandRun RunDataCommand(const std::string& environment, const std::string& arguments) {
    const std::string out = Output("env " + environment + " '" + VELTRIN_DATA_EXE + "' " + arguments +
                                   " 2>&1; echo \"status=$?\"");
    CommandRun run;
    const std::size_t at = out.rfind("status=");
    if (at == std::string::npos) return run;
    run.status = std::atoi(out.c_str() + at + 7);
    run.output = out.substr(0, at);
    return run;
}

}  // namespace

TEST_F(ProgramRun, ResaveFromAnotherLoginIsRefusedWhileTheProgramRuns) {
    const pid_t program = start();
    ASSERT_TRUE(waitListening(30)) << "the program did not come up";
    const fs::path elsewhere = folder.root / "elsewhere";
    fs::create_directories(elsewhere);
    fs::create_directories(folder.data() / "backup" / "2024-03-01");
    fs::copy_file(folder.file("Events.dat"), folder.data() / "backup" / "2024-03-01" / "Events.dat");
    const auto before = dataFolder();
    const std::string events = "'" + folder.file("Events.dat").string() + "'";
    const std::string refusal = "veltrin-data: Veltrin is running with the data folder \"" +
                                folder.data().string() +
                                "\" and would write over this change at its next save; end it first.\n";

    // No runtime folder at all, as from cron; then another login's.
    for (const std::string& environment : {"-u XDG_RUNTIME_DIR TMPDIR='" + elsewhere.string() + "'",
                                           "XDG_RUNTIME_DIR='" + elsewhere.string() + "'"}) {
        CommandRun run = RunDataCommand(environment, "resave " + events);
        EXPECT_EQ(run.status, 1) << environment;
        EXPECT_EQ(run.output, refusal) << environment;
        run =
            RunDataCommand(environment, "restore --data '" + folder.data().string() + "' --date 2024-03-01");
        EXPECT_EQ(run.status, 1) << environment;
        EXPECT_EQ(run.output, refusal) << environment;
    }
    EXPECT_EQ(dataFolder(), before) << "written while the program ran";
    EXPECT_EQ(fs::is_empty(elsewhere), true);

    ::kill(program, SIGTERM);
    EXPECT_EQ(waitExit(program, 30), 0);
    const CommandRun run = RunDataCommand("-u XDG_RUNTIME_DIR", "resave " + events);
    EXPECT_EQ(run.status, 0) << run.output;
}
