// The Contacts view in the real program: the group shown at start holds its
// contacts in the list, and ending the program must write them all back.
#include <gtest/gtest.h>

#include <algorithm>

#include "contacts/ContactRecords.h"
#include "e2e/ProgramRun.h"
#include "settings/ViewIndex.h"

using namespace veltrin;
using namespace veltrin::e2e;

namespace {

// Every field of a contact filled with a text of its own, some of them in
// Windows-1252 and with CR LF line ends, as older files hold them.
ContactItem everyField(std::int32_t group, int n) {
    ContactItem c;
    c.groupId = group;
    for (int i = 0; i < kContactFieldCount; ++i)
        c.fields.set(i, "c" + std::to_string(n) + " f" + std::to_string(i) + (i % 3 ? "" : " Gr\xfc\xdf"));
    c.fields.set(ContactFieldRecordIndex("Notes"), "note " + std::to_string(n) + "\r\nsecond line");
    c.isCurrent = n == 4;
    return c;
}

std::vector<std::string> contactBytes(const ContactStore& s) {
    std::vector<std::string> all;
    for (const ContactItem& c : s.contacts) {
        std::string b = std::to_string(c.groupId);
        for (int i = 0; i < kContactFieldCount; ++i) b += '|' + std::string(c.fields[i]);
        all.push_back(b);
    }
    std::sort(all.begin(), all.end());
    return all;
}

}  // namespace

// The Contacts view shown at start takes a group's contacts into its list;
// ending the program must write every one of them back with every field.
TEST_F(ProgramRun, ContactsViewKeepsEveryContactThroughStartAndTermination) {
    if (::access(kXvfb, X_OK) != 0) GTEST_SKIP() << "no Xvfb";
    VirtualDisplay display;
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
    ContactStore contacts;
    contacts.groups = {
        {0, "Friends", 1, 0, 0, 0, 101}, {1, "Chess club", 2, 1, 1, 1, 202}, {-1, "Work", 7, 0, 0, 1, 303}};
    for (int n = 0; n < 9; ++n)
        contacts.contacts.push_back(everyField(n % 3 == 0 ? 101 : n % 3 == 1 ? 202 : 303, n));
    contacts.contacts.push_back(everyField(999, 99));  // in no group: kept, never shown
    ASSERT_TRUE(SerializeContactsFile(contacts, true));
    AppSettings s;
    ApplySettingsDefaults(s);
    s.currentView = kContactsView;
    writeSettings(s);

    const pid_t pid = start(display.name());
    ASSERT_TRUE(waitListening(30)) << "the program did not come up";
    // The window is up once the screen shows it.
    const fs::path out = fs::path(SCREENSHOT_DIR);
    fs::create_directories(out);
    Shot shot;
    for (int i = 0; i < 60 && shot.colours <= 50; ++i)
        shot = grab(display.name(), out / "contacts-with-data.png");
    EXPECT_GT(shot.colours, 50) << "the window was not drawn";

    fs::remove(folder.file("Contacts.dat"));
    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 30), 0);
    ContactStore back;
    ASSERT_TRUE(SerializeContactsFile(back, false));
    EXPECT_EQ(contactBytes(back), contactBytes(contacts));
    ASSERT_EQ(back.groups.size(), 3u);
    EXPECT_EQ(back.groups[1].name, "Chess club");
    EXPECT_EQ(back.groups[1].isCurrent, 1);
}
