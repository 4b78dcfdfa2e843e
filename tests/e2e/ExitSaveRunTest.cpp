// Ending the real program: what the user typed last is in its file, and the
// files nothing touched are left as they were.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "contacts/ContactRecords.h"
#include "documents/DocumentRecords.h"
#include "e2e/ProgramRun.h"
#include "settings/ViewIndex.h"

using namespace veltrin;
using namespace veltrin::e2e;

namespace {

struct Written {
    ino_t inode = 0;
    long long modified = 0;
    std::string bytes;
    bool operator==(const Written& o) const {
        return inode == o.inode && modified == o.modified && bytes == o.bytes;
    }
};

Written WrittenState(const fs::path& file) {
    struct stat st {};
    Written w;
    if (::stat(file.c_str(), &st) != 0) return w;
    w.inode = st.st_ino;
    w.modified = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    w.bytes = test::readAll(file);
    return w;
}

ContactItem Named(std::int32_t group, const std::string& name, int current = 0) {
    ContactItem c;
    c.groupId = group;
    for (int i = 0; i < kContactFieldCount; ++i) c.fields.set(i, name + " " + std::to_string(i));
    c.isCurrent = current;
    return c;
}

}  // namespace

// A contact's cell is being typed into when the session ends: the text
// reaches Contacts.dat, and Diary.dat, Notes.dat and Events.dat, which
// nothing changed, are not written again.
TEST_F(ProgramRun, TypingJustBeforeTheEndIsSavedAndUntouchedFilesStayAsTheyWere) {
    if (!HaveXdotool()) GTEST_SKIP() << "no xdotool";
    VirtualDisplay display;
    if (display.name().empty()) GTEST_SKIP() << "no Xvfb";
    const fs::path out = fs::path(SCREENSHOT_DIR);
    fs::create_directories(out);

    startOnView(kContactsView);
    ContactStore contacts;
    contacts.groups = {{0, "Friends", 1, 0, 1, 1, 21}};
    contacts.contacts = {Named(21, "Ann", 1), Named(21, "Bo")};
    ASSERT_TRUE(SerializeContactsFile(contacts, true));
    DiaryTable diary = {{"2026, December 07",
                         "<BODY><P>Gr\xfc\xdf"
                         "e</P></BODY>",
                         1'796'594'400, 1}};
    ASSERT_TRUE(SerializeDiaryFile(diary, true));
    EventStore events;
    events.groups = {{0, "Work", 0, 0, 1, 11}};
    ASSERT_TRUE(SerializeEventsFile(events, true));

    const pid_t pid = start(display.name());
    ASSERT_TRUE(waitListening(60)) << "the program did not come up";
    const WindowAt main = WaitWindow(display.name(), "Veltrin");
    ASSERT_GT(main.width, 600) << "no main window";
    Shot shot;
    for (int i = 0; i < 60 && shot.colours <= 50; ++i)
        shot = grab(display.name(), out / "exit-save-start.png");
    ASSERT_GT(shot.colours, 50) << "the window was not drawn";
    std::map<std::string, Written> before;
    for (const char* name : {"Diary.dat", "Notes.dat", "Events.dat"})
        before[name] = WrittenState(folder.file(name));

    // A click on the first contact's row, whose keys then go to it: the
    // first letter opens its cell's editor, which stays open.
    Xdo(display.name(),
        "mousemove " + std::to_string(main.x + 420) + " " + std::to_string(main.y + 189) + " click 1");
    Xdo(display.name(), "type --delay 20 Zed");
    grab(display.name(), out / "exit-save-typed.png");
    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 30), 0);

    ContactStore back;
    ASSERT_TRUE(SerializeContactsFile(back, false));
    ASSERT_EQ(back.contacts.size(), 2u);
    int typed = 0, unchanged = 0;
    for (const ContactItem& c : back.contacts) {
        for (int i = 0; i < kContactFieldCount; ++i) typed += c.fields[i] == "Zed";
        unchanged += c.fields == contacts.contacts[0].fields || c.fields == contacts.contacts[1].fields;
    }
    EXPECT_EQ(typed, 1) << "the text in the open editor was not saved";
    EXPECT_EQ(unchanged, 1);
    for (const auto& [name, state] : before)
        EXPECT_TRUE(WrittenState(folder.file(name)) == state) << name << " was written again";
    EXPECT_FALSE(fs::exists(socket)) << "the hand-over socket outlived the program";
}
