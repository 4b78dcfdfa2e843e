// Stores killed at random moments, in a folder the real program then starts on.
#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <random>
#include <sys/inotify.h>

#include "e2e/ProgramRun.h"
#include "support/Faults.h"

using namespace veltrin;
using namespace veltrin::e2e;
using namespace std::chrono_literals;

namespace {

bool waitForFile(const fs::path& path, int seconds) {
    return WaitUntil([&] { return fs::exists(path); }, seconds);
}

// A Contacts.dat of about 4 MB.
ContactStore LargeContacts() {
    ContactStore store;
    store.groups = {{0, "Everyone", 0, 0, 0, 0, 1}};
    store.contacts.resize(8500);
    for (std::size_t i = 0; i < store.contacts.size(); ++i) {
        ContactItem& c = store.contacts[i];
        c.groupId = 1;
        for (int f = 0; f < kContactFieldCount; ++f)
            c.fields.set(static_cast<std::size_t>(f),
                         "field " + std::to_string(f) + " of " + std::to_string(i));
    }
    return store;
}

// Names created and moved into a folder, as inotify tells them.
class FolderWatch {
public:
    explicit FolderWatch(const fs::path& folder) {
        fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd_ >= 0) ::inotify_add_watch(fd_, folder.c_str(), IN_CREATE | IN_MOVED_TO);
    }
    ~FolderWatch() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    void drain() {
        std::string ignored;
        while (next(0, ignored)) {
        }
    }
    // The next name, or false when none came within the time.
    bool next(int timeoutMs, std::string& name) {
        if (pending_.empty()) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, timeoutMs) <= 0) return false;
            alignas(inotify_event) char buf[8192];
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(buf + at);
                if (e->len > 0) pending_.push_back(e->name);
                at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            }
            if (pending_.empty()) return false;
        }
        name = pending_.front();
        pending_.erase(pending_.begin());
        return true;
    }

private:
    int fd_ = -1;
    std::vector<std::string> pending_;
};

pid_t startQuietly(const std::vector<std::string>& args) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

int runQuietly(const std::vector<std::string>& args) {
    int status = 0;
    ::waitpid(startQuietly(args), &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

// A store killed at any moment leaves the old file whole; the temporaries
// that kills leave behind are gone once the program has started again.
TEST_F(ProgramRun, StoresKilledAtRandomMomentsLeaveEveryFileWhole) {
    ContactStore contacts = LargeContacts();
    ASSERT_TRUE(SerializeContactsFile(contacts, true));
    const std::string contactsPath = folder.file("Contacts.dat").string();
    const std::string original = test::readAll(contactsPath);
    ASSERT_GT(original.size(), 4'000'000u);
    test::writeAll(folder.file(".Contacts.dat.backup"), "a file of the user's");

    FolderWatch watch(folder.data());
    ASSERT_TRUE(watch.ok());
    const std::vector<std::string> resave = {VELTRIN_DATA_EXE, "resave", contactsPath};
    // How long one store takes, from its temporary's creation to the rename:
    // the middle of five, so that one slow disk moment does not count.
    using Clock = std::chrono::steady_clock;
    std::vector<Clock::duration> stores;
    for (int i = 0; i < 5; ++i) {
        watch.drain();
        const pid_t pid = startQuietly(resave);
        std::string name;
        std::optional<Clock::time_point> created;
        while (watch.next(30000, name)) {
            if (IsDataFileTemporary(name)) created = Clock::now();
            if (name == "Contacts.dat") break;
        }
        ASSERT_TRUE(created && name == "Contacts.dat") << "the store was not seen";
        stores.push_back(Clock::now() - *created);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::nth_element(stores.begin(), stores.begin() + 2, stores.end());
    const auto window = std::chrono::duration_cast<std::chrono::microseconds>(stores[2] * 5 / 4);

    std::mt19937 rng(std::random_device{}());
    int partWay = 0, afterTheRename = 0, finished = 0;
    constexpr int kCycles = 200;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        watch.drain();
        const pid_t pid = startQuietly(resave);
        // Once its temporary exists the store is under way; the kill falls
        // anywhere in it or just after.
        std::string temporary;
        while (temporary.empty() && watch.next(30000, temporary))
            if (!IsDataFileTemporary(temporary)) temporary.clear();
        ASSERT_FALSE(temporary.empty()) << "cycle " << cycle << ": no store began";
        std::this_thread::sleep_for(std::uniform_int_distribution<std::int64_t>(0, window.count())(rng) *
                                    1us);
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (!WIFSIGNALED(status))
            ++finished;
        else if (fs::exists(folder.file(temporary)))
            ++partWay;
        else
            ++afterTheRename;
        // Every byte as before: the old file, or the new one of the same records.
        ASSERT_EQ(test::readAll(contactsPath), original) << "cycle " << cycle;
    }
    const std::size_t left = test::TemporariesUnder(folder.data()).size();
    std::printf("%d stores killed part-way, %d after the rename, %d finished first; %zu temporaries left\n",
                partWay, afterTheRename, finished, left);
    EXPECT_GT(partWay, kCycles / 4) << "the kills missed the stores";
    EXPECT_EQ(left, static_cast<std::size_t>(partWay));

    // And each file loads whole, as the terminal tool tells.
    for (const char* file : {"Settings.dat", "Diary.dat", "Notes.dat", "Events.dat", "Contacts.dat"})
        EXPECT_EQ(runQuietly({VELTRIN_DATA_EXE, "check", folder.file(file).string()}), 0) << file;
    const pid_t program = start();
    ASSERT_TRUE(waitListening(30));
    EXPECT_EQ(test::TemporariesUnder(folder.data()), std::vector<std::string>{});
    EXPECT_EQ(test::readAll(folder.file(".Contacts.dat.backup")), "a file of the user's");
    // The login entry is written as the settings load, once the program
    // answers signals: a termination before that would end it unhandled.
    ASSERT_TRUE(waitForFile(folder.root / "config/autostart/veltrin.desktop", 30));
    ::kill(program, SIGTERM);
    EXPECT_EQ(waitExit(program, 30), 0);
    // The program's own save may mark the row it selected as current; every
    // contact is there with every field, in its order.
    ContactStore back;
    ASSERT_TRUE(SerializeContactsFile(back, false));
    ASSERT_EQ(back.contacts.size(), contacts.contacts.size());
    for (std::size_t i = 0; i < back.contacts.size(); ++i) {
        EXPECT_EQ(back.contacts[i].groupId, contacts.contacts[i].groupId) << i;
        for (std::size_t f = 0; f < kContactFieldCount; ++f)
            ASSERT_EQ(back.contacts[i].fields[f], contacts.contacts[i].fields[f]) << i << " " << f;
    }
}
