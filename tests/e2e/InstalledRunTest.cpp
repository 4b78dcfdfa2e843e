// The program as a package installs it: laid out by `cmake --install` into a
// staging root, started with an empty home, its data made in the home, its
// own files read from share/veltrin, and hidden in a real notification area.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "e2e/ProgramRun.h"

using namespace veltrin;
using namespace veltrin::e2e;

namespace {

class InstalledRun : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/veltrin-installed-XXXXXX";
        root = ::mkdtemp(tmpl);
        home = root / "home";
        runtime = root / "run";
        fs::create_directories(home);
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        const std::string install = "DESTDIR='" + (root / "stage").string() + "' '" + CMAKE_COMMAND +
                                    "' --install '" + BUILD_DIR + "' --prefix /usr > '" +
                                    (root / "install.log").string() + "' 2>&1";
        ASSERT_EQ(std::system(install.c_str()), 0) << test::readAll(root / "install.log");
        ASSERT_TRUE(fs::exists(bin("veltrin")));
        // The editor module in the library folder, where the program looks.
        bool module = false;
        for (const auto& entry : fs::recursive_directory_iterator(root / "stage/usr/lib"))
            module = module || (entry.path().filename() == fs::path(VELTRIN_EDITOR_MODULE_FILE).filename() &&
                                entry.path().parent_path().filename() == "veltrin");
        ASSERT_TRUE(module);
        socket = runtime / (InstanceLock::keyFor(data().string()) + ".socket");
    }
    void TearDown() override {
        for (pid_t p : started) {
            ::kill(p, SIGKILL);
            ::waitpid(p, nullptr, 0);
        }
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    fs::path bin(const std::string& name) const { return root / "stage/usr/bin" / name; }
    fs::path data() const { return home / ".local/share/veltrin"; }

    // Starts a program of the staging root as a desktop session would: only
    // HOME, the runtime folder and the display set.
    pid_t startProgram(const std::vector<std::string>& argv) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setenv("HOME", home.c_str(), 1);
            ::unsetenv("XDG_DATA_HOME");
            ::unsetenv("XDG_CONFIG_HOME");
            ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
            ::setenv("QT_QPA_PLATFORM", "xcb", 1);
            ::setenv("DISPLAY", display.name().c_str(), 1);
            // As in ProgramRun: the GL driver's start-up allocations cannot be
            // matched by a suppression on a display.
            if (const char* asan = std::getenv("ASAN_OPTIONS")) {
                const std::string options = std::string(asan) + ":detect_leaks=0";
                ::setenv("ASAN_OPTIONS", options.c_str(), 1);
            }
            std::vector<char*> args;
            for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            ::execv(args[0], args.data());
            ::_exit(127);
        }
        started.push_back(pid);
        return pid;
    }
    pid_t start() { return startProgram({bin("veltrin").string()}); }

    int waitExit(pid_t pid, int seconds) { return WaitExit(pid, seconds, started); }

    // The program listens only once its window is built: a message box
    // during the load (such as "Cannot find Settings.dat") holds it back.
    bool waitListening() {
        return WaitUntil([&] { return Listens(socket); }, 60);
    }

    // The installed veltrin-data's JSON of a data file.
    std::string dump(const std::string& file) {
        return Output("'" + bin("veltrin-data").string() + "' dump '" + (data() / file).string() + "' 2>&1");
    }

    // The visible windows of the process with their place and size.
    std::vector<WindowAt> windowsOf(pid_t pid) {
        std::vector<WindowAt> windows;
        std::istringstream ids(Output("DISPLAY=" + display.name() + " xdotool search --onlyvisible --pid " +
                                      std::to_string(pid) + " 2>/dev/null"));
        for (long id; ids >> id;) windows.push_back(GeometryOf(display.name(), id));
        return windows;
    }
    // The icon carries the program's name too: the main window is the large one.
    bool mainWindowShown(pid_t pid) {
        for (const WindowAt& w : windowsOf(pid))
            if (w.width > 300) return true;
        return false;
    }
    void click(const WindowAt& w, int x, int y, const std::string& button = "1") {
        Xdo(display.name(), "mousemove --window " + std::to_string(w.id) + " " + std::to_string(x) + " " +
                                std::to_string(y) + " click " + button);
    }

    // A new diary page from the template the settings name ("Diary Blue",
    // shipped), with a line typed into it.
    void writeDiaryPage(const WindowAt& window, const std::string& text) {
        click(window, 134, 36);  // the "Diary" view button
        click(window, 30, 135);  // "Insert new Diary page"
        const WindowAt dialog = WaitWindow(display.name(), "New Diary page: .*");
        ASSERT_NE(dialog.id, 0) << "the new-page dialog did not open";
        click(dialog, 62, 177);  // OK
        ASSERT_TRUE(WaitUntil([&] { return dump("Diary.dat").find("\"pages\"") != std::string::npos; }, 30))
            << "the new page was not stored";
        click(window, 600, 450);
        Xdo(display.name(),
            "windowfocus --sync " + std::to_string(window.id) + " type --delay 30 '" + text + "'");
    }

    fs::path root, home, runtime, socket;
    VirtualDisplay display;
    std::vector<pid_t> started;
};

unsigned ModeOf(const fs::path& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

}  // namespace

TEST_F(InstalledRun, FirstStartInAnEmptyHomeKeepsADiaryPageThere) {
    if (!HaveXdotool()) GTEST_SKIP() << "no xdotool";
    if (display.name().empty()) GTEST_SKIP() << "no Xvfb";
    const fs::path out = fs::path(SCREENSHOT_DIR);
    fs::create_directories(out);

    pid_t pid = start();
    ASSERT_TRUE(waitListening()) << "the program did not come up (a message box at start?)";
    const WindowAt window = WaitWindow(display.name(), "Veltrin");
    ASSERT_NE(window.id, 0);
    grab(display.name(), out / "installed-first-start.png");
    // The menu entry's StartupWMClass names the window's class.
    EXPECT_NE(Output("DISPLAY=" + display.name() + " xprop -id " + std::to_string(window.id) + " WM_CLASS")
                  .find("\"veltrin\", \"Veltrin\""),
              std::string::npos);
    EXPECT_NE(test::readAll(root / "stage/usr/share/applications/example.veltrin.Veltrin.desktop")
                  .find("\nStartupWMClass=Veltrin\n"),
              std::string::npos);
    EXPECT_EQ(ModeOf(data()), 0700u);
    EXPECT_EQ(ModeOf(home / ".local/share"), 0700u);
    // The login entry names the installed program, and no folder: it is the usual one.
    EXPECT_NE(test::readAll(home / ".config/autostart/veltrin.desktop")
                  .find("Exec=" + bin("veltrin").string() + " /autorun\n"),
              std::string::npos);

    ASSERT_NO_FATAL_FAILURE(writeDiaryPage(window, "Picnic by the lake"));
    grab(display.name(), out / "installed-diary-page.png");
    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 60), 0);
    for (const char* name : {"Settings.dat", "Diary.dat", "Notes.dat", "Events.dat", "Contacts.dat"})
        EXPECT_TRUE(fs::exists(data() / name)) << name;
    std::string json = dump("Diary.dat");
    EXPECT_NE(json.find("Picnic by the lake"), std::string::npos) << json;
    EXPECT_NE(json.find("Dear diary,"), std::string::npos) << "not the shipped template: " << json;

    // A second start finds its data: no first start any more, the page kept.
    pid = start();
    ASSERT_TRUE(waitListening());
    ASSERT_NE(WaitWindow(display.name(), "Veltrin").id, 0);
    grab(display.name(), out / "installed-restarted.png");
    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 60), 0);
    json = dump("Diary.dat");
    EXPECT_NE(json.find("Picnic by the lake"), std::string::npos) << json;
}

TEST_F(InstalledRun, HidesInARealNotificationAreaAndExitsFromItWithEverythingSaved) {
    if (!HaveXdotool()) GTEST_SKIP() << "no xdotool";
    if (display.name().empty()) GTEST_SKIP() << "no Xvfb";
    if (::access("/usr/bin/trayer", X_OK) != 0) GTEST_SKIP() << "no trayer";
    const fs::path out = fs::path(SCREENSHOT_DIR);
    fs::create_directories(out);

    // A notification area along the bottom right of the screen.
    const fs::path trayLog = root / "trayer.log";
    const pid_t tray = startProgram({"/bin/sh", "-c", TrayerCommand(trayLog)});
    ASSERT_TRUE(WaitTrayer(display.name())) << "trayer did not come up: " << test::readAll(trayLog);

    const pid_t pid = start();
    ASSERT_TRUE(waitListening());
    const WindowAt window = WaitWindow(display.name(), "Veltrin");
    ASSERT_NE(window.id, 0);
    ASSERT_NO_FATAL_FAILURE(writeDiaryPage(window, "Swim at noon"));

    // Info menu, "Minimize to System Tray" (third from the bottom, above
    // "Sync..." and "Exit Veltrin"; each item 22 pixels high).
    const auto minimize = [&] {
        const std::size_t shown = windowsOf(pid).size();
        click(window, 584, 36);
        ASSERT_TRUE(WaitMoreWindows(display.name(), pid, static_cast<int>(shown))) << "no Info menu";
        WindowAt menu;
        for (const WindowAt& w : windowsOf(pid))
            if (w.id != window.id) menu = w;
        click(menu, menu.width / 2, menu.height - 56);
        ASSERT_TRUE(WaitUntil([&] { return !mainWindowShown(pid); }, 30)) << "the window stayed";
    };
    // The icon: the one small window the program shows once hidden.
    const auto trayIcon = [&] {
        WindowAt icon;
        WaitUntil(
            [&] {
                for (const WindowAt& w : windowsOf(pid))
                    if (w.width > 0 && w.width <= 64 && w.height <= 64) icon = w;
                return icon.id != 0;
            },
            30);
        return icon;
    };

    ASSERT_NO_FATAL_FAILURE(minimize());
    WindowAt icon = trayIcon();
    ASSERT_NE(icon.id, 0) << "no icon in the notification area";
    grab(display.name(), out / "installed-tray-icon.png");

    Xdo(display.name(), "mousemove --window " + std::to_string(icon.id) + " " +
                            std::to_string(icon.width / 2) + " " + std::to_string(icon.height / 2) +
                            " click --repeat 2 --delay 80 1");
    ASSERT_TRUE(WaitUntil([&] { return mainWindowShown(pid); }, 30))
        << "a double click did not bring it back";
    // Back in view, the icon is gone.
    EXPECT_TRUE(WaitUntil([&] { return windowsOf(pid).size() == 1; }, 30));

    ASSERT_NO_FATAL_FAILURE(minimize());
    icon = trayIcon();
    ASSERT_NE(icon.id, 0);
    click(icon, icon.width / 2, icon.height / 2, "3");
    ASSERT_TRUE(WaitMoreWindows(display.name(), pid, 1)) << "no tray menu";
    WindowAt menu;
    for (const WindowAt& w : windowsOf(pid))
        if (w.id != icon.id) menu = w;
    grab(display.name(), out / "installed-tray-menu.png");
    click(menu, menu.width / 2, menu.height - 12);  // "Exit Veltrin", the last item
    // "Are you sure to exit Veltrin ?" (asked by default): Yes.
    const WindowAt ask = WaitWindow(display.name(), "Exit\\.\\.\\.");
    ASSERT_NE(ask.id, 0) << "no question before the exit";
    click(ask, 122, 76);
    ASSERT_EQ(waitExit(pid, 60), 0);
    const std::string json = dump("Diary.dat");
    EXPECT_NE(json.find("Swim at noon"), std::string::npos) << json;
    ::kill(tray, SIGTERM);
    waitExit(tray, 30);
}

TEST_F(InstalledRun, DataOptionKeepsTheDataAndTheLockInAnotherFolder) {
    if (display.name().empty()) GTEST_SKIP() << "no Xvfb";
    const fs::path other = root / "notes" / "veltrin";
    socket = runtime / (InstanceLock::keyFor(other.string()) + ".socket");
    const pid_t pid = startProgram({bin("veltrin").string(), "--data", other.string()});
    ASSERT_TRUE(waitListening()) << "the program did not come up on its own folder";
    EXPECT_EQ(ModeOf(other), 0700u);
    EXPECT_NE(test::readAll(home / ".config/autostart" / (InstanceLock::keyFor(other.string()) + ".desktop"))
                  .find("Exec=" + bin("veltrin").string() + " --data " + other.string() + " /autorun\n"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(home / ".config/autostart/veltrin.desktop"))
        << "the usual folder's entry was taken";
    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 60), 0);
    for (const char* name : {"Settings.dat", "Diary.dat", "Notes.dat", "Events.dat", "Contacts.dat"})
        EXPECT_TRUE(fs::exists(other / name)) << name;
    EXPECT_FALSE(fs::exists(data())) << "the usual folder was made as well";

    // A --data without a folder is refused before anything is made.
    const pid_t bad = startProgram({bin("veltrin").string(), "--data"});
    // It says so in a box; the box's window is the sign.
    EXPECT_NE(WaitWindow(display.name(), "Veltrin").id, 0);
    ::kill(bad, SIGTERM);
    waitExit(bad, 60);
    EXPECT_FALSE(fs::exists(data()));
}
