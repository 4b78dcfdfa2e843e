// "Import..." of the Events view in the real program: a calendar file chosen
// in the file dialog by typing its path, the report accepted, the program
// ended, and the data folder read back.
#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "e2e/ProgramRun.h"
#include "settings/ViewIndex.h"

using namespace veltrin;
using namespace veltrin::e2e;

namespace {

// As another calendar writes it: a zone of its own, a category, a folded line.
const char kTrip[] =
    "BEGIN:VCALENDAR\r\n"
    "VERSION:2.0\r\n"
    "PRODID:-//Elsewhere//Calendar//EN\r\n"
    "BEGIN:VEVENT\r\n"
    "UID:flight-1@elsewhere.example\r\n"
    "DTSTAMP:20261201T100000Z\r\n"
    "DTSTART:20300610T080000Z\r\n"
    "SUMMARY:Flight to Lisbon\r\n"
    "DESCRIPTION:Seat 14A\\, window\r\n"
    "CATEGORIES:Trips\r\n"
    "END:VEVENT\r\n"
    "BEGIN:VEVENT\r\n"
    "UID:dentist-2@elsewhere.example\r\n"
    "DTSTAMP:20261201T100000Z\r\n"
    "DTSTART:20300612T140000Z\r\n"
    "SUMMARY:Dentist\\, check-\r\n"
    " up\r\n"
    "END:VEVENT\r\n"
    "END:VCALENDAR\r\n";

}  // namespace

TEST_F(ProgramRun, EventsImportedThroughTheTreeMenuAreStoredBelowTheGroupAndNothingElseChanges) {
    if (::access(kXvfb, X_OK) != 0) GTEST_SKIP() << "no Xvfb";
    if (!HaveXdotool()) GTEST_SKIP() << "no xdotool";
    VirtualDisplay display;
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
    const fs::path out = fs::path(SCREENSHOT_DIR);
    fs::create_directories(out);

    startOnView(kEventsView);
    EventStore store = WorkAndHome();
    ASSERT_TRUE(SerializeEventsFile(store, true));
    const fs::path ics = folder.root / "trip.ics";
    std::ofstream(ics, std::ios::binary) << kTrip;
    const auto dump = [&](const char* file) {
        return Output(std::string("'") + VELTRIN_DATA_EXE + "' dump '" + folder.file(file).string() +
                      "' 2>&1");
    };
    const std::string eventsBefore = dump("Events.dat");
    auto before = dataFolder();

    const pid_t pid = start(display.name());
    ASSERT_TRUE(waitListening(60)) << "the program did not come up";
    const WindowAt main = WaitWindow(display.name(), "Veltrin");
    ASSERT_GT(main.width, 600) << "no main window";
    grab(display.name(), out / "import-events.png");

    // Into the group tree below its rows ("Work" stays selected), and
    // "Import..." from the tree's menu.
    Xdo(display.name(), "mousemove " + std::to_string(main.x + 60) + " " +
                            std::to_string(main.y + main.height / 2) + " click 1");
    Xdo(display.name(), "windowfocus --sync " + std::to_string(main.id));
    const int shown = WindowsOf(display.name(), pid);
    Xdo(display.name(), "key Menu");
    ASSERT_TRUE(WaitMoreWindows(display.name(), pid, shown)) << "the group menu did not open";
    grab(display.name(), out / "import-events-menu.png");
    Xdo(display.name(), "key Up Up Return");  // from the end: "Export...", "Import..."

    const WindowAt dialog = WaitWindow(display.name(), "Import");
    ASSERT_NE(dialog.id, 0) << "no file dialog";
    // The report: another window of the same caption. Keys typed while the
    // dialog is still settling (slow under the sanitizers) can be lost, so
    // the name is typed again, over what the box holds, while no report came.
    WindowAt report;
    const auto reportShown = [&](int seconds) {
        return WaitUntil(
            [&] {
                report = WaitWindow(display.name(), "Import");
                return report.id != 0 && report.id != dialog.id;
            },
            seconds);
    };
    bool reported = false;
    const auto dialogOpen = [&] {
        std::istringstream ids(Output("DISPLAY=" + display.name() +
                                      " xdotool search --onlyvisible --name '^Import$' 2>/dev/null"));
        for (long id; ids >> id;)
            if (id == dialog.id) return true;
        return false;
    };
    for (int attempt = 0; attempt < 3 && !reported; ++attempt) {
        if (attempt > 0 && !dialogOpen()) {
            // The name was taken: the import is still at work.
            reported = reportShown(60);
            break;
        }
        Xdo(display.name(), "windowfocus --sync " + std::to_string(dialog.id));
        Xdo(display.name(), "key ctrl+a");
        Xdo(display.name(), "type --delay 5 '" + ics.string() + "'");
        if (attempt == 0) grab(display.name(), out / "import-events-file.png");
        Xdo(display.name(), "key Return");
        reported = reportShown(30);
    }
    ASSERT_TRUE(reported) << "no report";
    grab(display.name(), out / "import-events-report.png");
    Xdo(display.name(), "windowfocus --sync " + std::to_string(report.id));
    Xdo(display.name(), "key Return");
    ASSERT_TRUE(WaitUntil(
        [&] {
            return Output("DISPLAY=" + display.name() +
                          " xdotool search --onlyvisible --name '^Import$' 2>/dev/null")
                .empty();
        },
        60))
        << "the report stayed open";

    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 30), 0);

    EventStore back;
    ASSERT_TRUE(SerializeEventsFile(back, false));
    ASSERT_EQ(back.groups.size(), 3u);
    EXPECT_EQ(back.groups[0].name, "Work");
    EXPECT_EQ(back.groups[1].name, "Trips");
    EXPECT_EQ(back.groups[1].levelStep, 1) << "below Work";
    EXPECT_EQ(back.groups[2].name, "Home");
    EXPECT_EQ(back.groups[2].levelStep, -1);
    ASSERT_EQ(back.events.size(), 4u);
    std::map<std::string, std::int32_t> groupOf;
    for (const EventItem& e : back.events) groupOf[e.name] = e.details.groupId;
    EXPECT_EQ(groupOf["Flight to Lisbon"], back.groups[1].groupId);
    EXPECT_EQ(groupOf["Dentist, check-up"], 11);
    EXPECT_EQ(groupOf["Call the bank"], 11);
    EXPECT_EQ(groupOf["Water the roses"], 12);
    // The events kept are as they were, field for field but the selection.
    const auto byName = [](const std::string& dumped) {
        std::map<std::string, nlohmann::json> events;
        const nlohmann::json j = nlohmann::json::parse(dumped, nullptr, false);
        if (j.is_object() && j.contains("events"))
            for (nlohmann::json e : j["events"]) {
                e.erase("isCurrent");
                events[e["name"].get<std::string>()] = e;
            }
        return events;
    };
    auto kept = byName(eventsBefore), now = byName(dump("Events.dat"));
    ASSERT_EQ(kept.size(), 2u) << eventsBefore;
    for (const auto& [name, record] : kept) EXPECT_EQ(now[name], record) << name;
    EXPECT_EQ(now["Flight to Lisbon"]["details"]["comment"], "Seat 14A, window");
    // Every other data file kept its bytes.
    auto after = dataFolder();
    for (const char* file : {"Diary.dat", "Notes.dat", "Contacts.dat"})
        EXPECT_EQ(after[file].first, before[file].first) << file;
}
