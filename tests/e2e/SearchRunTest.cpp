// The search in the real program: Ctrl+Shift+F, a query typed, Enter on the
// first result, for a diary page, a note and a contact in turn. What each
// opened is selected in its view, and the save at the end says so.
#include <gtest/gtest.h>

#include "contacts/ContactRecords.h"
#include "documents/DocumentRecords.h"
#include "e2e/ProgramRun.h"
#include "settings/ViewIndex.h"

using namespace veltrin;
using namespace veltrin::e2e;

TEST_F(ProgramRun, SearchOpensAPageANoteAndAContactInTheirViews) {
    if (::access(kXvfb, X_OK) != 0) GTEST_SKIP() << "no Xvfb";
    if (!HaveXdotool()) GTEST_SKIP() << "no xdotool";
    VirtualDisplay display;
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
    DiaryTable diary = {{"2026, December 06", "<p>A walk.</p>", 1'796'515'200, 1},
                        {"2026, December 07", "<p>Quince jam, at last.</p>", 1'796'601'600, 0}};
    ASSERT_TRUE(SerializeDiaryFile(diary, true));
    NoteTable notes = {{0, "Kitchen", 0, 0, 1, 0, "<p>Pots</p>", 5},
                       {1, "Recipes", 0, 0, 0, 1, "<p>Damson pie</p>", 6}};
    ASSERT_TRUE(SerializeNotesFile(notes, true));
    ContactStore contacts;
    contacts.groups = {{0, "Friends", 0, 0, 1, 1, 9}, {0, "Shops", 0, 0, 0, 1, 10}};
    ContactItem market;
    market.groupId = 10;
    market.fields.set(static_cast<std::size_t>(ContactFieldRecordIndex("Name")), "Medlar Market");
    ContactItem ann;
    ann.groupId = 10;
    ann.fields.set(static_cast<std::size_t>(ContactFieldRecordIndex("Name")), "Ann");
    ann.isCurrent = 1;
    contacts.contacts = {ann, market};
    ASSERT_TRUE(SerializeContactsFile(contacts, true));
    startOnView(kTodayView);

    const pid_t pid = start(display.name());
    ASSERT_TRUE(waitListening(30)) << "the program did not come up";
    ASSERT_TRUE(FillScreen(display.name()));
    const std::string main = std::to_string(WaitWindow(display.name(), "Veltrin").id);
    Xdo(display.name(), "windowfocus --sync " + main + " key --clearmodifiers ctrl+shift+f");
    const WindowAt search = WaitWindow(display.name(), "Search");
    ASSERT_NE(search.id, 0) << "no search window";
    Xdo(display.name(), "windowfocus --sync " + std::to_string(search.id));
    // Each query replaces the last one (Ctrl+Shift+F selects it) and Enter
    // opens the best result at once, whatever the list showed before.
    Xdo(display.name(), "type --delay 20 quince");
    const fs::path out = fs::path(SCREENSHOT_DIR);
    fs::create_directories(out);
    Shot shot;
    for (int i = 0; i < 60 && shot.colours <= 50; ++i) shot = grab(display.name(), out / "search-window.png");
    EXPECT_GT(shot.colours, 50) << "the window was not drawn";
    Xdo(display.name(), "key Return key --clearmodifiers ctrl+shift+f type --delay 20 damson");
    Xdo(display.name(), "key Return key --clearmodifiers ctrl+shift+f type --delay 20 medlar");
    Xdo(display.name(), "key Return");
    grab(display.name(), out / "search-opened-contact.png");

    ::kill(pid, SIGTERM);
    ASSERT_EQ(waitExit(pid, 60), 0);
    AppSettings settings;
    DiaryTable diaryBack;
    NoteTable notesBack;
    ContactStore contactsBack;
    ASSERT_TRUE(SerializeSettings(settings, false));
    ASSERT_TRUE(SerializeDiaryFile(diaryBack, false));
    ASSERT_TRUE(SerializeNotesFile(notesBack, false));
    ASSERT_TRUE(SerializeContactsFile(contactsBack, false));
    EXPECT_EQ(settings.currentView, kContactsView);
    ASSERT_EQ(diaryBack.size(), 2u);
    EXPECT_EQ(diaryBack[1].isCurrent, 1) << "the page with the hit is selected";
    ASSERT_EQ(notesBack.size(), 2u);
    EXPECT_EQ(notesBack[1].isCurrent, 1) << "the note with the hit is selected";
    ASSERT_EQ(contactsBack.groups.size(), 2u);
    EXPECT_EQ(contactsBack.groups[1].isCurrent, 1) << "the contact's group is selected";
    ASSERT_EQ(contactsBack.contacts.size(), 2u);
    for (const ContactItem& c : contactsBack.contacts)
        EXPECT_EQ(c.isCurrent, c.fields[3] == "Medlar Market" ? 1 : 0) << c.fields[3];
}
