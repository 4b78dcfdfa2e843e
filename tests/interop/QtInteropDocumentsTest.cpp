// "Import..." and "Export..." of the Diary and Notes views, on the real engine.
#include <QFileDialog>
#include <QSignalSpy>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "base/LocalTime.h"
#include "controls/CGroupTree.h"
#include "documents/CDiaryView.h"
#include "documents/CNotesView.h"
#include "interop/ICalendar.h"
#include "interop/QtInteropCommands.h"
#include "settings/AppSettings.h"
#include "support/Fakes.h"
#include "support/ModalAnswer.h"
#include "support/ScopedZone.h"
#include "support/ShippedTemplates.h"
#include "tree/GroupTreeCommands.h"

namespace veltrin {
namespace {

namespace fs = std::filesystem;
constexpr std::int64_t kNow = 1'796'601'600;

using test::AnswerFileDialog;

class InteropDocuments : public ::testing::Test {
protected:
    InteropDocuments() {
        folder.clock.t = kNow;
        test::CopyShippedTemplates(folder.root);
        ApplySettingsDefaults(settings);
        notes.resize(2);
        notes[0].name = "Garden";
        notes[0].html = "<body><p>Roses</p></body>";
        notes[0].created = 100;
        notes[1].levelStep = 1;
        notes[1].name = "Caf\xe9";
        notes[1].html = "<body><p>Cr\xe8me</p></body>";
        notes[1].created = 101;
        notes[1].isCurrent = 1;
        diary = {{"Second", "<body><p>two</p></body>", Day(2), 1}};
    }
    static std::int32_t Day(int d) { return static_cast<std::int32_t>(*MakeLocalTime(2026, 12, d, 0, 0, 0)); }
    std::string path(const char* name) const { return (folder.root / name).string(); }

    test::ScopedZone zone{"Europe/Berlin"};
    test::ProgramFolder folder;
    AppSettings settings;
    EventStore events;
    ContactStore contacts;
    DiaryTable diary;
    NoteTable notes;
};

TEST_F(InteropDocuments, NotesComeInWithTheirTreeAndGoOutAsCalendarOrFolderWithWhatTheViewHolds) {
    CNotesView view(notes, settings);
    view.resize(900, 600);
    view.show();
    QtInteropCommands commands(events, contacts, diary, notes);
    commands.attach(&view);
    // A rename the view holds and has not stored.
    GroupTreeModel& tree = view.tree()->model();
    tree.SetItemText(tree.GetNextItem(kRootNode, kFirstChild), 0, "Garden, renamed");

    NoteTable other(2);
    other[0].name = "Trip";
    other[0].created = 200;
    other[1].levelStep = 1;
    other[1].name = "Day one";
    other[1].created = 201;
    std::ofstream(path("trip.ics"), std::ios::binary) << NotesToICalendar(other, kNow);
    QSignalSpy asked(&view, &CDocumentView::interopRequested);
    AnswerFileDialog(path("trip.ics"));
    view.runCommand(kTreeImport);
    EXPECT_EQ(asked.size(), 1);
    EXPECT_EQ(folder.messages.texts(),
              std::vector<std::string>{"Notes: added 2, already there 0, changed kind 0, skipped 0."});
    NoteTable back;
    ASSERT_TRUE(SerializeNotesFile(back, false));
    ASSERT_EQ(back.size(), 4u);
    EXPECT_EQ(back[0].name, "Garden, renamed");
    EXPECT_EQ(back[1].html, "<body><p>Cr\xe8me</p></body>") << "an old page keeps its bytes";
    EXPECT_EQ(back[2].name, "Trip");
    EXPECT_EQ(back[3].name, "Day one");
    EXPECT_EQ(back[3].levelStep, 1);
    EXPECT_EQ(tree.GetChildCount(kRootNode), 2);

    AnswerFileDialog(path("notes.ics"));
    view.runCommand(kTreeExport);
    EXPECT_NE(test::readAll(path("notes.ics")).find("SUMMARY:Garden\\, renamed"), std::string::npos);
    AnswerFileDialog(path("pages"), QStringLiteral("A folder of HTML pages (*)"));
    view.runCommand(kTreeExport);
    EXPECT_EQ(test::readAll(folder.root / "pages" / "Garden, renamed" / "Caf\xc3\xa9.html"),
              "<body><p>Cr\xc3\xa8me</p></body>");
    EXPECT_TRUE(fs::exists(folder.root / "pages" / "Trip" / "Day one.html"));
    EXPECT_FALSE(fs::exists(folder.root / "pages.ics")) << "a folder takes no suffix";
    EXPECT_EQ(folder.messages.texts().back(), "4 notes exported.");
}

TEST_F(InteropDocuments, DiaryPagesComeInByDateAndADayKeptStaysAsItWas) {
    CDiaryView view(diary, settings);
    view.resize(900, 600);
    view.show();
    QtInteropCommands commands(events, contacts, diary, notes);
    commands.attach(&view);
    DiaryTable other = {{"First", "<body><p>one</p></body>", Day(1), 0},
                        {"Second, theirs", "<body><p>not ours</p></body>", Day(2), 0},
                        {"Third", "<body><p>three</p></body>", Day(3), 0}};
    std::ofstream(path("pages.ics"), std::ios::binary) << DiaryToICalendar(other, kNow);
    AnswerFileDialog(path("pages.ics"));
    view.runCommand(kTreeImport);
    EXPECT_EQ(folder.messages.texts(),
              std::vector<std::string>{"Diary pages: added 2, already there 1, changed kind 0, skipped 0."});
    DiaryTable back;
    ASSERT_TRUE(SerializeDiaryFile(back, false));
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0].title, "First");
    EXPECT_EQ(back[1].title, "Second");
    EXPECT_EQ(back[1].html, "<body><p>two</p></body>");
    EXPECT_EQ(back[2].title, "Third");
    EXPECT_EQ(view.tree()->model().GetChildCount(kRootNode), 3);
}

}  // namespace
}  // namespace veltrin
