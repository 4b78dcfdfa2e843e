// The program started hidden at log-in, in a real notification area
// (trayer): a reminder still comes on time while the window stays in the
// tray, and the Diary, first shown only then, shows its page.
#include <gtest/gtest.h>

#include <ctime>
#include <sstream>

#include "e2e/ProgramRun.h"
#include "e2e/ReminderScripts.h"
#include "settings/ViewIndex.h"

using namespace veltrin;
using namespace veltrin::e2e;

namespace {

class TrayRun : public ReminderScriptsRun {
protected:
    std::vector<WindowAt> windowsOf(const std::string& display, pid_t pid) {
        std::vector<WindowAt> windows;
        std::istringstream ids(Output("DISPLAY=" + display + " xdotool search --onlyvisible --pid " +
                                      std::to_string(pid) + " 2>/dev/null"));
        for (long id; ids >> id;) windows.push_back(GeometryOf(display, id));
        return windows;
    }
    // The icon carries the program's name too: the main window is the large one.
    bool mainWindowShown(const std::string& display, pid_t pid) {
        for (const WindowAt& w : windowsOf(display, pid))
            if (w.width > 300 && Output("DISPLAY=" + display + " xdotool getwindowname " +
                                        std::to_string(w.id)) == "Veltrin\n")
                return true;
        return false;
    }
    // What the process shows, for a failure's message.
    std::string shownWindows(const std::string& display, pid_t pid) {
        std::string all;
        for (const WindowAt& w : windowsOf(display, pid))
            all += "'" + Output("DISPLAY=" + display + " xdotool getwindowname " + std::to_string(w.id)) +
                   "' " + std::to_string(w.width) + "x" + std::to_string(w.height) + "; ";
        return all;
    }
    // The process ids of the document engine's helpers under the program.
    std::string engineHelpers(pid_t pid) {
        return Output("pgrep -P " + std::to_string(pid) + " 2>/dev/null");
    }
};

}  // namespace

TEST_F(TrayRun, AReminderComesWhileHiddenAndTheDiaryFirstShownShowsItsPage) {
    if (!HaveXdotool()) GTEST_SKIP() << "no xdotool";
    if (::access("/usr/bin/trayer", X_OK) != 0) GTEST_SKIP() << "no trayer";
    VirtualDisplay display;
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
    const fs::path out = fs::path(SCREENSHOT_DIR);
    fs::create_directories(out);

    const fs::path trayLog = folder.root / "trayer.log";
    const pid_t tray = ::fork();
    if (tray == 0) {
        ::setenv("DISPLAY", display.name().c_str(), 1);
        const std::string command = TrayerCommand(trayLog);
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    started.push_back(tray);
    ASSERT_TRUE(WaitTrayer(display.name())) << "trayer did not come up: " << test::readAll(trayLog);

    // The Diary is the current view; its page in large letters.
    startOnView(kDiaryView);
    const std::string page =
        "<body><h1 style=\"font-size:60px;color:#000000\">Swim at noon</h1><p>Caf\xe9 after.</p></body>";
    DiaryTable diary = {{"2026, December 07", page, static_cast<std::int32_t>(std::time(nullptr)), 1}};
    ASSERT_TRUE(SerializeDiaryFile(diary, true));
    const std::int32_t due = static_cast<std::int32_t>(std::time(nullptr)) + 12;
    EventStore events;
    events.events = {SampleReminder("Call the bank", 0, 501, due, script("bank").string())};
    ASSERT_TRUE(SerializeEventsFile(events, true));

    const pid_t pid = start(display.name(), "/autorun");
    ASSERT_TRUE(waitListening(60)) << "the program did not come up";
    ASSERT_LT(std::time(nullptr), due) << "the program came up after the event was due";
    EXPECT_FALSE(mainWindowShown(display.name(), pid)) << shownWindows(display.name(), pid);
    EXPECT_EQ(engineHelpers(pid), "") << "the document engine runs before any document is shown";
    // Nor are its libraries, the editor module or a GL driver loaded.
    const auto mapped = [pid](const char* name) {
        return test::readAll(fs::path("/proc") / std::to_string(pid) / "maps").find(name) !=
               std::string::npos;
    };
    for (const char* name : {"WebEngine", "veltrin-webeditor", "swrast_dri", "libLLVM"})
        EXPECT_FALSE(mapped(name)) << name << " is loaded in the tray";

    // The reminder comes on time, the window stays in the tray.
    ASSERT_TRUE(waitForLine("bank", 60)) << "the reminder's file never ran";
    EXPECT_GE(std::time(nullptr), due);
    const WindowAt reminder = WaitWindow(display.name(), "Event");
    EXPECT_GT(reminder.id, 0) << "no \"Event\" window appeared";
    EXPECT_FALSE(mainWindowShown(display.name(), pid)) << shownWindows(display.name(), pid);
    EXPECT_GT(grab(display.name(), out / "tray-reminder-hidden.png").colours, 50);
    Xdo(display.name(), "windowclose " + std::to_string(reminder.id));

    // A double click on the icon brings the window back on the Diary.
    WindowAt icon;
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (const WindowAt& w : windowsOf(display.name(), pid))
                if (w.width > 0 && w.width <= 64 && w.height <= 64) icon = w;
            return icon.id != 0;
        },
        30))
        << "no icon in the notification area";
    Xdo(display.name(), "mousemove --window " + std::to_string(icon.id) + " " +
                            std::to_string(icon.width / 2) + " " + std::to_string(icon.height / 2) +
                            " click --repeat 2 --delay 80 1");
    ASSERT_TRUE(WaitUntil([&] { return mainWindowShown(display.name(), pid); }, 60))
        << "a double click did not bring it back";
    ASSERT_TRUE(FillScreen(display.name()));
    // The page's heading, where the editor shows the top of the page.
    const Area heading{330, 230, 560, 60};
    const Shot shot = grab(display.name(), out / "tray-diary-first-show.png", {heading});
    ASSERT_EQ(shot.areas.size(), 1u);
    EXPECT_GE(shot.areas[0].contrast, 3.0) << "the page's text is not shown";
    EXPECT_NE(engineHelpers(pid), "") << "the document engine did not start for the Diary";
    EXPECT_TRUE(mapped("veltrin-webeditor"));

    const std::string helpers = engineHelpers(pid);
    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 60), 0);
    // The process ends without tearing its windows down: the engine's
    // processes must still go with it, not linger for the session.
    std::istringstream helperPids(helpers);
    for (std::string helper; helperPids >> helper;) {
        const fs::path stat = fs::path("/proc") / helper / "stat";
        const auto gone = [&] {
            const std::string line = test::readAll(stat);
            const std::size_t close = line.rfind(')');
            return line.empty() || (close != std::string::npos && line.compare(close + 2, 1, "Z") == 0);
        };
        EXPECT_TRUE(test::WaitUntil(gone, 30)) << "engine process " << helper << " outlived the program";
    }
    // Shown, not edited: the page keeps its bytes; the reminder is done.
    DiaryTable back;
    ASSERT_TRUE(SerializeDiaryFile(back, false));
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].html, page);
    EventStore after;
    ASSERT_TRUE(SerializeEventsFile(after, false));
    ASSERT_EQ(after.events.size(), 1u);
    EXPECT_GE(after.events[0].details.schedule.lastCheck, due);
    ::kill(tray, SIGTERM);
    waitExit(tray, 30);
}
