// The Options dialog in the real program, driven the way a user drives it.
#include <gtest/gtest.h>

#include "e2e/ProgramRun.h"

using namespace veltrin;
using namespace veltrin::e2e;

// The user's way: Options from its button, another skin colour, OK; the
// window takes the colour and the settings file holds it after the end.
TEST_F(ProgramRun, OptionsChangeTheSkinAndSettingsKeepIt) {
    if (!HaveXdotool()) GTEST_SKIP() << "no xdotool";
    VirtualDisplay display;
    if (display.name().empty()) GTEST_SKIP() << "no Xvfb";
    const fs::path out = fs::path(SCREENSHOT_DIR);
    fs::create_directories(out);
    const pid_t pid = start(display.name());
    ASSERT_TRUE(waitListening(30));
    const WindowAt main = WaitWindow(display.name(), "Veltrin");
    ASSERT_GT(main.width, 600) << "no main window";
    const Shot before = grab(display.name(), out / "options-before.png");

    // The Info menu, for a person to look at, once its window is up.
    const int shown = WindowsOf(display.name(), pid);
    Xdo(display.name(),
        "mousemove " + std::to_string(main.x + 585) + " " + std::to_string(main.y + 36) + " click 1");
    EXPECT_TRUE(WaitMoreWindows(display.name(), pid, shown)) << "the Info menu did not open";
    grab(display.name(), out / "info-menu.png");
    Xdo(display.name(), "key Escape");

    Xdo(display.name(),
        "mousemove " + std::to_string(main.x + 495) + " " + std::to_string(main.y + 36) + " click 1");
    const WindowAt options = WaitWindow(display.name(), "Options");
    ASSERT_GT(options.width, 300) << "the Options dialog did not open";
    // The skin colour list has the focus: its last name, then OK (Alt+O).
    Xdo(display.name(), "windowfocus --sync " + std::to_string(options.id));
    Xdo(display.name(), "key End");
    grab(display.name(), out / "options-dialog.png");
    Xdo(display.name(), "key alt+o");

    const Colour yellowGreen = 0x0032CD9A;
    AppSettings stored;
    const bool written = WaitUntil(
        [&] {
            test::RecordingMessages quiet;
            test::ScopedMessages q(quiet);
            return SerializeSettings(stored, false) && stored.skinColour == yellowGreen;
        },
        30);
    EXPECT_TRUE(written) << "OK did not store the new skin colour";
    Shot after;
    for (int i = 0; i < 300 && (after.mean < 0 || std::fabs(after.mean - before.mean) < 3); ++i)
        after = grab(display.name(), out / "options-after.png");
    EXPECT_GE(std::fabs(after.mean - before.mean), 3) << "the window kept its colours";

    fs::remove(folder.file("Settings.dat"));
    ::kill(pid, SIGTERM);
    EXPECT_EQ(waitExit(pid, 30), 0);
    AppSettings last;
    ASSERT_TRUE(SerializeSettings(last, false));
    EXPECT_EQ(last.skinColour, yellowGreen);
}
