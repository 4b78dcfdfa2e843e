// Another program's event goes back as it came, with only the parts the
// user changed here in it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "interop/CalendarItems.h"
#include "support/ScopedZone.h"

using namespace veltrin;
namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kNow = 1'796'601'600;  // 2026-12-07 00:00 UT

std::string Corpus(const char* name) {
    std::ifstream in(fs::path(VELTRIN_SYNC_CORPUS) / name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The unfolded lines of a text, as a sorted list.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && (line[0] == ' ' || line[0] == '\t') && !lines.empty())
            lines.back() += line.substr(1);
        else
            lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// What one text has that the other has not, line by line.
std::vector<std::string> Only(const std::string& a, const std::string& b) {
    const std::vector<std::string> x = Lines(a), y = Lines(b);
    std::vector<std::string> out;
    std::set_difference(x.begin(), x.end(), y.begin(), y.end(), std::back_inserter(out));
    return out;
}

class PatchEvent : public ::testing::Test {
protected:
    test::ScopedZone zone{"Europe/Berlin"};
    const std::string original = Corpus("event-biweekly-new-york.ics");
    ReadEvent read = ReadOneEvent(original, kNow);

    std::string Patched(const EventItem& e, unsigned parts, const std::vector<EventGroup>& groups = {}) {
        return PatchEventItem(original, EventToICalendar(e, groups, read.uid, kNow), parts, kNow);
    }
};

}  // namespace

TEST_F(PatchEvent, ANewNameOrCommentChangesThatLineAndTheStampsAlone) {
    ASSERT_TRUE(read.ok);
    EventItem e = read.event;
    e.name = "Platform sync, renamed";
    e.details.comment = "Bring the numbers";
    const std::string patched = Patched(e, kEventName | kEventComment);
    const std::vector<std::string> gone = Only(original, patched), came = Only(patched, original);
    EXPECT_EQ(gone, (std::vector<std::string>{"DTSTAMP:20240212T081744Z", "LAST-MODIFIED:20240212T081744Z",
                                              "SUMMARY:Platform team sync"}));
    EXPECT_EQ(came, (std::vector<std::string>{"DESCRIPTION:Bring the numbers", "DTSTAMP:20261207T000000Z",
                                              "LAST-MODIFIED:20261207T000000Z",
                                              "SUMMARY:Platform sync\\, renamed"}));
    // The moved occurrence keeps its own stamp and name.
    EXPECT_NE(patched.find("SUMMARY:Platform team sync (moved to Wednesday)"), std::string::npos);
}

TEST_F(PatchEvent, AScheduleChosenHereReplacesTheRuleItsExceptionsAndMovesButKeepsTheRest) {
    EventItem e = read.event;
    e.details.schedule = EventSchedule{};
    e.details.schedule.kind = Weekly;
    e.details.schedule.weekday = 4;  // Wednesday
    e.details.schedule.eventTime = static_cast<std::int32_t>(kNow + 86400 * 2 + 3600 * 9);
    const std::string patched = Patched(e, kEventSchedule);
    const std::vector<std::string> gone = Only(original, patched), came = Only(patched, original);
    for (const char* line :
         {"RRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=TU", "EXDATE;TZID=America/New_York:20240206T100000",
          "RECURRENCE-ID;TZID=America/New_York:20240220T100000", "SEQUENCE:0"})
        EXPECT_NE(std::find(gone.begin(), gone.end(), line), gone.end()) << line;
    EXPECT_NE(patched.find("\r\nSEQUENCE:1\r\n"), std::string::npos);  // the rule changed
    for (const char* line : {"RRULE:FREQ=WEEKLY;BYDAY=WE", "DTSTART;TZID=Europe/Berlin:20261209T100000",
                             "DTEND;TZID=Europe/Berlin:20261209T104500"})
        EXPECT_NE(std::find(came.begin(), came.end(), line), came.end()) << line << "\n" << patched;
    // The zone of the new time is defined once; New York's stays for its old lines.
    EXPECT_NE(patched.find("TZID:Europe/Berlin"), std::string::npos);
    EXPECT_NE(patched.find("TZID:America/New_York"), std::string::npos);
    // Attendees, the organizer, the alarm and the phone's own property stay as they were.
    for (const char* kept :
         {"ORGANIZER;CN=Priya Raman:mailto:priya.raman@example.com", "X-LARKSPUR-CALENDAR-COLOR:#1E88E5",
          "TRIGGER:-PT15M", "LOCATION:Room 4B\\, 120 Example Avenue\\, New York"})
        EXPECT_NE(patched.find(kept), std::string::npos) << kept;
    EXPECT_NE(patched.find(
                  "ATTENDEE;CN=Marcus Feldt;CUTYPE=INDIVIDUAL;ROLE=REQ-PARTICIPANT;PARTSTAT=AC\r\n CEPTED"),
              std::string::npos)
        << "the fold of a line not changed moved";
    EXPECT_EQ(patched.find("BEGIN:VEVENT", patched.find("BEGIN:VEVENT") + 1), std::string::npos)
        << "the moved occurrence stayed";
}

TEST_F(PatchEvent, RemindersAndTheGroupReplaceOnlyTheirOwn) {
    EventItem e = read.event;
    e.details.showMessage = 0;
    e.details.playSound = 0;
    const std::string quiet = Patched(e, kEventReminders);
    EXPECT_EQ(quiet.find("TRIGGER:-PT15M\r\nEND:VALARM\r\nEND:VEVENT\r\nBEGIN:VEVENT"), std::string::npos);
    EXPECT_NE(quiet.find("X-VELTRIN-REMINDERS:sound=0\\;message=0\\;file=0"), std::string::npos) << quiet;
    // The moved occurrence's own alarm stays: it was not ours to change.
    const std::vector<std::string> lines = Lines(quiet);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "BEGIN:VALARM"), 1);

    const std::string categories = Corpus("event-categories.ics");
    const ReadEvent r = ReadOneEvent(categories, kNow);
    ASSERT_TRUE(r.ok);
    EventItem moved = r.event;
    std::vector<EventGroup> groups = {{0, "Home", 0, 0, 0, 5}};
    moved.details.groupId = 5;
    const std::string patched =
        PatchEventItem(categories, EventToICalendar(moved, groups, r.uid, kNow), kEventGroup, kNow);
    const std::vector<std::string> gone = Only(categories, patched), came = Only(patched, categories);
    EXPECT_NE(std::find(gone.begin(), gone.end(), "CATEGORIES:Work,Travel"), gone.end());
    ASSERT_EQ(std::count_if(came.begin(), came.end(),
                            [](const std::string& l) { return l.rfind("CATEGORIES", 0) == 0; }),
              1)
        << patched;
    const auto line = *std::find_if(came.begin(), came.end(),
                                    [](const std::string& l) { return l.rfind("CATEGORIES", 0) == 0; });
    EXPECT_EQ(line.rfind("CATEGORIES:Home,", 0), 0u) << line;
    EXPECT_NE(line.find("Travel"), std::string::npos) << line;
}

TEST(PatchEventItem, AnItemThatCannotBeReadIsNotPatched) {
    EXPECT_EQ(PatchEventItem("not a calendar", "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n", kEventName, kNow), "");
    EXPECT_EQ(PatchEventItem("BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nEND:VTODO\r\nEND:VCALENDAR\r\n",
                             "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n", kEventName,
                             kNow),
              "");
}
