#include <gtest/gtest.h>

#include <csignal>
#include <cstddef>
#include <filesystem>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <memory>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "events/Countdown.h"
#include "events/EventList.h"
#include "events/ReminderDispatcher.h"
#include "support/Fakes.h"
#include "support/ScopedService.h"
#include "support/ScopedZone.h"

using namespace veltrin;

namespace {

// Records what the window side was asked to show, in order with the sound
// and the shell, so the order of a reminder's actions can be checked.
struct Journal {
    std::vector<std::string> steps;
};

class JournalSound : public test::RecordingSound {
public:
    explicit JournalSound(Journal& j) : journal(j) {}
    void play(const std::string& path) override {
        RecordingSound::play(path);
        journal.steps.push_back("sound");
    }
    Journal& journal;
};

class JournalShell : public test::RecordingShell {
public:
    explicit JournalShell(Journal& j) : journal(j) {}
    bool open(const std::string& target) override {
        journal.steps.push_back("open");
        return RecordingShell::open(target);
    }
    bool startProgram(const std::string& path) override {
        journal.steps.push_back("start");
        started.push_back(path);
        return result;
    }
    std::vector<std::string> started;
    Journal& journal;
};

class JournalMessages : public test::RecordingMessages {
public:
    explicit JournalMessages(Journal& j) : journal(j) {}
    Answer show(const std::string& text, const std::string& caption, Icon icon, Buttons buttons) override {
        journal.steps.push_back("message");
        return RecordingMessages::show(text, caption, icon, buttons);
    }
    Journal& journal;
};

class RecordingPresenter : public ReminderPresenter {
public:
    struct Shown {
        std::string name;
        int icon;
        EventDetails details;
    };
    explicit RecordingPresenter(Journal& j, std::vector<Shown>& s) : journal(j), shown(s) {}
    void ShowReminder(const std::string& name, int icon, const EventDetails& details) override {
        journal.steps.push_back("window");
        shown.push_back({name, icon, details});
    }
    Journal& journal;
    std::vector<Shown>& shown;
};

class Reminders : public ::testing::Test {
protected:
    Reminders()
        : sound(journal),
          shell(journal),
          messages(journal),
          dispatcher(std::make_unique<RecordingPresenter>(journal, shown)) {
        styles = SetUpEventList(list);
        context.styles = styles;
        context.dispatcher = &dispatcher;
        context.icon = 4;
    }

    NodeHandle addRow(const std::string& name, const EventSchedule& s, bool actual = true) {
        EventItem item;
        item.name = name;
        item.actual = actual ? 1 : 0;
        item.details.schedule = s;
        item.details.showMessage = 1;
        ResetDueTracking(item.details.schedule, clock.t);
        return AddEventRow(list, item, styles.name, styles.priority);
    }
    bool updateAt(NodeHandle row, std::int64_t t) {
        clock.t = t;
        return UpdateEventRow(list, row, context, t);
    }
    EventSchedule scheduleOf(NodeHandle row) const { return list.GetEventRecord<EventDetails>(row).schedule; }

    test::ScopedZone zone{"Europe/Berlin"};
    test::FixedClock clock;
    test::ScopedClock clockInstalled{clock};
    Journal journal;
    JournalSound sound;
    JournalShell shell;
    test::ScopedSound soundInstalled{sound};
    test::ScopedShell shellInstalled{shell};
    JournalMessages messages;
    test::ScopedMessages messagesInstalled{messages};
    std::vector<RecordingPresenter::Shown> shown;
    ReminderDispatcher dispatcher;
    GroupTreeModel list;
    EventListStyles styles;
    EventTickContext context;
};

TEST_F(Reminders, HourlyFiresOnceAtItsMinuteAndNotAroundIt) {
    EventSchedule s;
    s.kind = Hourly;
    s.minutesAfterHour = 5;
    clock.t = test::LibraryTime(2026, 3, 10, 10, 0, 0);
    const NodeHandle row = addRow("Stand-up", s);
    EXPECT_EQ(scheduleOf(row).nextDue, test::LibraryTime(2026, 3, 10, 10, 5, 0));

    EXPECT_FALSE(updateAt(row, test::LibraryTime(2026, 3, 10, 10, 4, 58)));
    EXPECT_TRUE(updateAt(row, test::LibraryTime(2026, 3, 10, 10, 5, 0)));
    EXPECT_FALSE(updateAt(row, test::LibraryTime(2026, 3, 10, 10, 5, 1)));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].name, "Stand-up");
    EXPECT_EQ(shown[0].icon, 4);
    // Moved on to the next hour, checked at the moment of firing.
    EXPECT_EQ(scheduleOf(row).nextDue, test::LibraryTime(2026, 3, 10, 11, 5, 0));
    EXPECT_EQ(scheduleOf(row).lastCheck, test::LibraryTime(2026, 3, 10, 10, 5, 0));
    EXPECT_EQ(shown[0].details.schedule.nextDue, scheduleOf(row).nextDue);
    EXPECT_TRUE(updateAt(row, test::LibraryTime(2026, 3, 10, 11, 5, 30)));  // the next hour
    EXPECT_EQ(shown.size(), 2u);
}

TEST_F(Reminders, OnceFiresExactlyOnceAndThenReadsExpired) {
    EventSchedule s;
    s.kind = Once;
    s.eventTime = static_cast<std::int32_t>(test::LibraryTime(2026, 3, 10, 10, 0, 0));
    clock.t = test::LibraryTime(2026, 3, 10, 9, 0, 0);
    const NodeHandle row = addRow("Dentist", s);
    EXPECT_FALSE(updateAt(row, test::LibraryTime(2026, 3, 10, 9, 59, 30)));
    EXPECT_EQ(list.GetItemText(row, kEventTimeColumn), "Tuesday, March 10, 2026, 10:00:00");
    EXPECT_EQ(list.GetItemText(row, kEventLeftColumn), "0 days, 00 hours, 00 minutes");
    EXPECT_TRUE(updateAt(row, test::LibraryTime(2026, 3, 10, 10, 0, 30)));
    EXPECT_EQ(list.GetItemText(row, kEventLeftColumn), "Expired");
    for (int i = 1; i < 5; ++i) EXPECT_FALSE(updateAt(row, test::LibraryTime(2026, 3, 10, 10, i, 30)));
    EXPECT_EQ(shown.size(), 1u);
}

TEST_F(Reminders, UntickedRowShowsNotActualAndFiresTheMissedReminderWhenTickedAgain) {
    EventSchedule s;
    s.kind = Daily;
    s.eventTime = static_cast<std::int32_t>(test::LibraryTime(2026, 1, 1, 8, 0, 0));
    clock.t = test::LibraryTime(2026, 3, 10, 7, 0, 0);
    const NodeHandle row = addRow("Pills", s);
    const EventSchedule before = scheduleOf(row);

    unsigned answer = 0;
    TreeNotification off;
    off.code = kNotifyCheckClicked;
    off.node = row;
    off.column = kEventNameColumn;
    off.check = 0;
    clock.t = test::LibraryTime(2026, 3, 10, 7, 30, 0);
    ASSERT_TRUE(HandleEventListNotify(list, off, context, &answer));
    EXPECT_EQ(answer, kAnswerRefuse);
    EXPECT_EQ(list.GetCheck(row, kEventNameColumn), 0);
    EXPECT_EQ(list.GetItemText(row, kEventTimeColumn), "Not actual");
    EXPECT_EQ(list.GetItemText(row, kEventLeftColumn), "Not actual");
    EXPECT_FALSE(updateAt(row, test::LibraryTime(2026, 3, 10, 8, 0, 30)));
    EXPECT_EQ(scheduleOf(row), before) << "an unticked row keeps its due fields";

    TreeNotification on = off;
    on.check = 1;
    clock.t = test::LibraryTime(2026, 3, 10, 9, 0, 0);
    ASSERT_TRUE(HandleEventListNotify(list, on, context, &answer));
    EXPECT_EQ(shown.size(), 1u) << "the missed 08:00 reminder fires as soon as the box is ticked";
    EXPECT_EQ(list.GetItemText(row, kEventTimeColumn), "Wednesday, March 11, 2026, 08:00:00");
}

TEST_F(Reminders, FireSoundsThenOpensThenShowsInThatOrderEachAsChosen) {
    const std::filesystem::path doc = std::filesystem::temp_directory_path() / "veltrin-reminder-doc.txt";
    test::writeAll(doc, "x");
    EventDetails d;
    d.playSound = 1;
    d.runFile = 1;
    d.showMessage = 1;
    d.filePath = doc.string();
    dispatcher.Fire("All three", -1, d);
    EXPECT_EQ(journal.steps, (std::vector<std::string>{"sound", "open", "window"}));
    ASSERT_EQ(sound.played.size(), 1u);
    EXPECT_EQ(sound.played[0], ModuleFolder() + "/Notify.wav");
    EXPECT_EQ(shell.opened, std::vector<std::string>{doc.string()});

    journal.steps.clear();
    d.playSound = 0;
    d.showMessage = 0;
    d.filePath = "/no/such/file-or-site.example.org";
    dispatcher.Fire("Missing file", -1, d);
    EXPECT_EQ(journal.steps, std::vector<std::string>{"message"})
        << "a missing file is not opened as an address";

    journal.steps.clear();

    const std::filesystem::path script = std::filesystem::temp_directory_path() / "veltrin-reminder.sh";
    test::writeAll(script, "#!/bin/sh\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    d.filePath = script.string();
    dispatcher.Fire("Program", -1, d);
    EXPECT_EQ(journal.steps, std::vector<std::string>{"start"});
    EXPECT_EQ(shell.started, std::vector<std::string>{script.string()});
    std::filesystem::remove(doc);
    std::filesystem::remove(script);
}

// Real files, as a reminder finds them on disk.
TEST(ReminderFiles, OnlyARealProgramIsStartedEverythingElseGoesToTheOpener) {
    test::ProgramFolder folder;
    namespace fs = std::filesystem;
    const auto make = [&](const std::string& name, const std::string& bytes, bool executable) {
        const fs::path p = folder.root / name;
        test::writeAll(p, bytes);
        fs::permissions(p,
                        executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
        return p.string();
    };
    EXPECT_EQ(ReminderFileActionFor(make("tool",
                                         std::string("\x7F"
                                                     "ELF\x02\x01\x01",
                                                     7),
                                         true)),
              ReminderFileAction::Start);
    EXPECT_EQ(ReminderFileActionFor(make("job.sh", "#!/bin/sh\necho hi\n", true)), ReminderFileAction::Start);
    // What a FAT, NTFS or network mount shows: every file executable.
    EXPECT_EQ(ReminderFileActionFor(make("report.pdf", "%PDF-1.4\n", true)), ReminderFileAction::Open);
    EXPECT_EQ(ReminderFileActionFor(make("notes.txt", "#not a script\n", true)), ReminderFileAction::Open);
    EXPECT_EQ(ReminderFileActionFor(make("empty", "", true)), ReminderFileAction::Open);
    EXPECT_EQ(ReminderFileActionFor(make("ELF", "EL", true)), ReminderFileAction::Open);
    // A program without the right to run it is the opener's to deal with.
    EXPECT_EQ(ReminderFileActionFor(make("plain.sh", "#!/bin/sh\n", false)), ReminderFileAction::Open);
    EXPECT_EQ(ReminderFileActionFor(folder.data().string()), ReminderFileAction::Open);

    EXPECT_EQ(ReminderFileActionFor("https://example.org/agenda?week=12"), ReminderFileAction::Open);
    EXPECT_EQ(ReminderFileActionFor("mailto:office@example.org"), ReminderFileAction::Open);
    EXPECT_EQ(ReminderFileActionFor((folder.root / "gone.doc").string()), ReminderFileAction::None);
    EXPECT_EQ(ReminderFileActionFor("C:\\Docs\\plan.doc"), ReminderFileAction::None);
    EXPECT_EQ(ReminderFileActionFor("example.org"), ReminderFileAction::None);
    EXPECT_EQ(ReminderFileActionFor(""), ReminderFileAction::None);

    // A file whose name looks like an address is still that file.
    EXPECT_EQ(ReminderFileActionFor(make("web:page.html", "<p>", false)), ReminderFileAction::Open);
    const fs::path here = fs::current_path();
    fs::current_path(folder.root);
    EXPECT_EQ(ReminderFileActionFor("web:page.html"), ReminderFileAction::Open);
    EXPECT_EQ(ReminderFileActionFor(make("run:me", "#!/bin/sh\n", true)), ReminderFileAction::Start);
    EXPECT_EQ(ReminderFileActionFor("run:me"), ReminderFileAction::Start);
    fs::current_path(here);
}

TEST(ReminderFiles, AddressesHaveASchemeOfTwoOrMoreLetters) {
    EXPECT_TRUE(IsAddress("https://example.org"));
    EXPECT_TRUE(IsAddress("mailto:a@example.org"));
    EXPECT_TRUE(IsAddress("svn+ssh://host/repo"));
    EXPECT_FALSE(IsAddress("C:\\plan.doc"));
    EXPECT_FALSE(IsAddress("/home/a/plan:v2.doc"));
    EXPECT_FALSE(IsAddress("1http://example.invalid"));
    EXPECT_FALSE(IsAddress("mailto:"));
    EXPECT_FALSE(IsAddress("plan.doc"));
}

// What failed is said after the window is up (so the window does not cover
// it), naming the file or address; a file that opened says nothing.
TEST_F(Reminders, AFileThatCannotBeRunOrOpenedIsReportedNamingIt) {
    test::ProgramFolder folder;
    const std::filesystem::path doc = folder.root / "minutes.odt";
    test::writeAll(doc, "PK");
    const std::filesystem::path job = folder.root / "backup.sh";
    test::writeAll(job, "#!/bin/sh\n");
    std::filesystem::permissions(job, std::filesystem::perms::owner_all);
    test::ScopedShell journalShell(shell);  // the folder's fakes came after the fixture's
    test::ScopedMessages journalMessages(messages);

    EventDetails d;
    d.runFile = 1;
    d.showMessage = 1;
    d.filePath = "https://example.org/agenda";
    dispatcher.Fire("Agenda", -1, d);
    EXPECT_EQ(journal.steps, (std::vector<std::string>{"open", "window"}));
    EXPECT_EQ(shell.opened, std::vector<std::string>{"https://example.org/agenda"});
    EXPECT_TRUE(messages.shown.empty());

    shell.result = false;
    for (const std::string& target : {doc.string(), job.string(), (folder.root / "gone.txt").string(),
                                      std::string("mailto:office@example.org")}) {
        journal.steps.clear();
        d.filePath = target;
        dispatcher.Fire("Fails", -1, d);
        ASSERT_GE(journal.steps.size(), 2u) << target;
        EXPECT_EQ(journal.steps.back(), "message") << target;
        EXPECT_EQ(journal.steps[journal.steps.size() - 2], "window") << target;
    }
    EXPECT_EQ(messages.texts(),
              (std::vector<std::string>{"Cannot open \"" + doc.string() + "\".",
                                        "Cannot start \"" + job.string() + "\".",
                                        "Cannot find \"" + (folder.root / "gone.txt").string() + "\".",
                                        "Cannot open \"mailto:office@example.org\"."}));
    EXPECT_EQ(messages.shown[0].caption, "Veltrin");
    EXPECT_EQ(messages.shown[0].buttons, Messages::Buttons::Ok);

    // A name from an older file is shown as text.
    messages.shown.clear();
    d.filePath = (folder.root / "Caf\xE9.txt").string();
    dispatcher.Fire("Old", -1, d);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Cannot find \"" +
                                                         (folder.root / "Caf\xC3\xA9.txt").string() + "\"."});

    // Without the file action nothing is opened or said.
    messages.shown.clear();
    d.runFile = 0;
    dispatcher.Fire("Quiet", -1, d);
    d.runFile = 1;
    d.filePath.clear();
    dispatcher.Fire("No file", -1, d);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Reminders, DueRowWithoutActionsStillMovesOnAndRowsFireInListOrder) {
    EventSchedule s;
    s.kind = Hourly;
    s.minutesAfterHour = 0;
    clock.t = test::LibraryTime(2026, 3, 10, 9, 30, 0);
    const NodeHandle first = addRow("First", s);
    const NodeHandle second = addRow("Second", s);
    EventDetails quiet = list.GetEventRecord<EventDetails>(first);
    quiet.showMessage = 0;
    list.SetEventRecord(first, quiet);
    clock.t = test::LibraryTime(2026, 3, 10, 10, 0, 30);
    TickEventList(list, context);
    EXPECT_EQ(scheduleOf(first).nextDue, test::LibraryTime(2026, 3, 10, 11, 0, 0));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].name, "Second");

    EventDetails loud = list.GetEventRecord<EventDetails>(first);
    loud.showMessage = 1;
    list.SetEventRecord(first, loud);
    clock.t = test::LibraryTime(2026, 3, 10, 11, 0, 5);
    TickEventList(list, context);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1].name, "First");
    EXPECT_EQ(shown[2].name, "Second");
    (void)second;
}

volatile std::sig_atomic_t fileCalls = 0;

void countFileCall(int) { fileCalls = fileCalls + 1; }

// From now on, in this process, every system call that names a file is
// stopped and counted instead of made. False when the kernel refuses.
bool trapFileCalls() {
    const int named[] = {
#ifdef __NR_open
        __NR_open,
#endif
#ifdef __NR_stat
        __NR_stat,
#endif
#ifdef __NR_lstat
        __NR_lstat,
#endif
#ifdef __NR_access
        __NR_access,
#endif
#ifdef __NR_readlink
        __NR_readlink,
#endif
#ifdef __NR_creat
        __NR_creat,
#endif
#ifdef __NR_openat2
        __NR_openat2,
#endif
#ifdef __NR_faccessat2
        __NR_faccessat2,
#endif
        __NR_openat,     __NR_newfstatat, __NR_statx,   __NR_faccessat, __NR_readlinkat,
        __NR_unlinkat,   __NR_renameat2,  __NR_mkdirat, __NR_execve,    __NR_inotify_add_watch};
    std::vector<sock_filter> filter{BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr))};
    for (int nr : named) {
        filter.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<unsigned>(nr), 0, 1));
        filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRAP));
    }
    filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    sock_fprog program{static_cast<unsigned short>(filter.size()), filter.data()};
    struct sigaction counting {};
    counting.sa_handler = countFileCall;
    return ::sigaction(SIGSYS, &counting, nullptr) == 0 && ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// The file-system calls one pass makes, counted in a child process; -1 when
// they could not be counted.
template <class Pass>
int fileCallsOf(Pass pass) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (!trapFileCalls()) ::_exit(255);
        pass();
        ::_exit(fileCalls > 100 ? 100 : static_cast<int>(fileCalls));
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) == 255)
        return -1;
    return WEXITSTATUS(status);
}

// A tick runs every second over lists of thousands of rows: it must not touch
// the disk, also when a reminder with a sound and a window falls due.
TEST_F(Reminders, ATickMakesNoFileSystemCall) {
    clock.t = test::LibraryTime(2026, 3, 10, 9, 0, 0);
    for (int kind = Once; kind <= Annually; ++kind) {
        EventSchedule s;
        s.kind = kind;
        s.eventTime = static_cast<std::int32_t>(test::LibraryTime(2026, 3, 10, 10, 0, 0));
        addRow("Kind " + std::to_string(kind), s);
        addRow("Off " + std::to_string(kind), s, false);
    }
    EventSchedule hourly;
    hourly.kind = Hourly;
    hourly.minutesAfterHour = 30;
    const NodeHandle due = addRow("Due", hourly);
    EventDetails d = list.GetEventRecord<EventDetails>(due);
    d.playSound = 1;
    list.SetEventRecord(due, d);
    TickEventList(list, context);  // the zone is read once, as at start-up
    clock.t = test::LibraryTime(2026, 3, 10, 9, 30, 0);

    EXPECT_EQ(fileCallsOf([&] {
                  TickEventList(list, context);
                  if (shown.size() != 1 || sound.played.size() != 1) ::_exit(101);
              }),
              0);
    // The count is real: a due reminder that runs a file looks the file up.
    d.runFile = 1;
    d.filePath = "/bin/true";
    list.SetEventRecord(due, d);
    EXPECT_GT(fileCallsOf([&] { TickEventList(list, context); }), 0);
}

TEST(EventList, ColumnsStylesAndPriorityChoices) {
    GroupTreeModel list;
    const EventListStyles styles = SetUpEventList(list);
    ASSERT_EQ(list.ColumnCount(), 4);
    EXPECT_EQ(list.Column(0)->title, "Event Name");
    EXPECT_EQ(list.Column(1)->title, "Time");
    EXPECT_EQ(list.Column(2)->title, "Left");
    EXPECT_EQ(list.Column(3)->title, "Priority");
    EXPECT_EQ(list.Column(0)->width, 200);
    EXPECT_EQ(list.Column(3)->width, 80);
    EXPECT_EQ(list.Column(3)->align, ColumnAlign::Centre);
    EXPECT_EQ(list.GetStyleFlags(styles.name), 12u);
    EXPECT_EQ(list.GetStyleFlags(styles.priority), 18u);
    EXPECT_TRUE(list.FullRowSelect());

    TreeNotification n;
    n.code = kNotifyDropDown;
    n.column = kEventPriorityColumn;
    EventTickContext context;
    context.styles = styles;
    unsigned answer = 1;
    ASSERT_TRUE(HandleEventListNotify(list, n, context, &answer));
    ASSERT_TRUE(HandleEventListNotify(list, n, context, &answer));  // filled once only
    EXPECT_EQ(answer, 0u);
    const auto choices = list.GetCellChoices(styles.priority);
    ASSERT_EQ(choices.size(), 10u);
    EXPECT_EQ(choices.front().text, "1 of 10");
    EXPECT_EQ(choices.back().text, "10 of 10");
    EXPECT_EQ(PriorityFromText(choices[6].text), 7);

    FitEventColumns(list, 600);
    EXPECT_EQ(list.Column(0)->width, 170);
    EXPECT_EQ(list.Column(2)->width, 170);
    EXPECT_EQ(list.Column(3)->width, 74);
    // Texts wider than the shares: "Time" and "Priority" grow, "Event Name" pays.
    FitEventColumns(list, 600, {90, 230, 150, 90});
    EXPECT_EQ(list.Column(0)->width, 170 - 60 - 16);
    EXPECT_EQ(list.Column(1)->width, 230);
    EXPECT_EQ(list.Column(2)->width, 170);
    EXPECT_EQ(list.Column(3)->width, 90);
    // Past what "Event Name" can spare, "Left" gives the rest.
    FitEventColumns(list, 600, {120, 230, 130, 90});
    EXPECT_EQ(list.Column(0)->width, 120);
    EXPECT_EQ(list.Column(2)->width, 170 - 26);
}

}  // namespace
