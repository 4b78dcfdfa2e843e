// The running program seen from another login, a cron job or an ssh session:
// they have a runtime folder of their own, or none.
#include <gtest/gtest.h>

#include <poll.h>

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

// A listening socket at a path, as a running program's hand-over channel.
class Listener {
public:
    explicit Listener(const fs::path& path) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (path.native().size() >= sizeof address.sun_path) return;
        std::strcpy(address.sun_path, path.c_str());
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd_ >= 0 && (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
                         ::listen(fd_, 4) != 0)) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~Listener() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }

    // Waits for a knock and answers it; what the caller wrote, or nothing
    // when no one came within the time.
    std::string answerKnock(int seconds) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, seconds * 1000) <= 0) return {};
        const int peer = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (peer < 0) return {};
        std::string got;
        char buf[64];
        pollfd q{peer, POLLIN, 0};
        while (got.find('\n') == std::string::npos && ::poll(&q, 1, seconds * 1000) > 0) {
            const ssize_t n = ::read(peer, buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, static_cast<std::size_t>(n));
        }
        (void)!::write(peer, "ok\n", 3);
        ::close(peer);
        return got;
    }

private:
    int fd_ = -1;
};

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

// A second start from another login sees the running program and knocks at
// the hand-over socket of its own runtime folder, writing nothing.
TEST_F(ProgramRun, SecondStartFromAnotherLoginDoesNotRunBesideTheFirst) {
    const pid_t first = start();
    ASSERT_TRUE(waitListening(30)) << "the program did not come up";
    fs::remove(folder.file("Settings.dat"));  // the first program's save on its way out shows
    const auto before = dataFolder();

    runtime = folder.root / "elsewhere";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    Listener knocks(runtime / socket.filename());
    ASSERT_TRUE(knocks.ok());
    const pid_t second = start();
    EXPECT_EQ(knocks.answerKnock(30), "show\n") << "the second start did not see the first";
    EXPECT_EQ(waitExit(second, 30), 0);
    EXPECT_EQ(dataFolder(), before) << "the second start wrote data";
    EXPECT_EQ(waitExit(first, 0), -1) << "the first program must still run";

    ::kill(first, SIGTERM);
    EXPECT_EQ(waitExit(first, 30), 0);
    EXPECT_TRUE(fs::exists(folder.file("Settings.dat")));
}
