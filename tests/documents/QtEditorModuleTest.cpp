// The document views when the editor module cannot be loaded: one clear
// message, a stand-in where the page would be, and every stored page kept.
// The module is looked for once per process, so this program never finds it.
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include "base/LocalTime.h"
#include "controls/CGroupTree.h"
#include "documents/CDiaryView.h"
#include "documents/CDocumentEditor.h"
#include "documents/CNotesView.h"
#include "documents/DocumentRecords.h"
#include "documents/DocumentRules.h"
#include "documents/QtEditorModule.h"
#include "settings/AppSettings.h"
#include "support/Fakes.h"
#include "support/ShippedTemplates.h"

using namespace veltrin;

namespace {

class MissingModule : public ::testing::Test {
protected:
    MissingModule() {
        qputenv(kEditorModuleVariable, (folder.root / "no-such-module.so").string().c_str());
        test::CopyShippedTemplates(folder.root);
        ApplySettingsDefaults(settings);
    }
    test::ProgramFolder folder;
    AppSettings settings;
};

std::int32_t Day(int year, int month, int day) {
    return static_cast<std::int32_t>(*MakeLocalTime(year, month, day, 0, 0, 0));
}

}  // namespace

TEST_F(MissingModule, DiaryAndNotesSayWhyOnceAndKeepEveryPageAsStored) {
    const std::string page = "<body><p>Sm\xf8rrebr\xf8\x64 at noon</p></body>";  // Windows-1252
    DiaryTable diary = {{"2004, March 05", page, Day(2004, 3, 5), 1}};
    CDiaryView view(diary, settings);
    view.resize(900, 600);
    view.show();

    ASSERT_TRUE(view.hasEditor());
    EXPECT_FALSE(EditorModuleError().isEmpty());
    const QString shownText = view.editor()->findChild<QLabel*>(QStringLiteral("missingEditor"))->text();
    EXPECT_TRUE(shownText.startsWith(QStringLiteral("The editor of Diary and Notes cannot be loaded:")));
    EXPECT_TRUE(shownText.contains(QStringLiteral("no-such-module.so"))) << "names what was looked for";
    ASSERT_EQ(folder.messages.texts().size(), 1u);
    EXPECT_EQ(folder.messages.texts().front(), shownText.toStdString());

    // Nothing can be read, so nothing is committed: the page keeps its bytes.
    EXPECT_FALSE(view.editor()->ReadBody().ok);
    bool read = true;
    EXPECT_EQ(view.editor()->GetBodyText(&read), "");
    EXPECT_FALSE(read);
    view.commitEditor();
    ASSERT_TRUE(SaveDiary(diary, view.saveState()));
    DiaryTable back;
    ASSERT_TRUE(SerializeDiaryFile(back, false));
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].html, page);

    // A new page is still made and stored, empty: the message names the
    // editor, not a missing template.
    view.newPage(Day(2004, 3, 6));
    ASSERT_EQ(folder.messages.texts().size(), 2u);
    EXPECT_EQ(folder.messages.texts().back(), shownText.toStdString());
    back.clear();
    ASSERT_TRUE(SerializeDiaryFile(back, false));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].html, page);
    EXPECT_EQ(back[1].html, "");

    // The Notes view gets its stand-in without a second notice, and its
    // commands ask for design mode as ever.
    const std::string note = "<body><p>Cr\xe8me \x80 2</p></body>";
    NoteTable notes(1);
    notes[0].name = "Garden";
    notes[0].html = note;
    CNotesView notesView(notes, settings);
    notesView.resize(900, 600);
    notesView.show();
    ASSERT_TRUE(notesView.hasEditor());
    EXPECT_NE(notesView.editor()->findChild<QLabel*>(QStringLiteral("missingEditor")), nullptr);
    EXPECT_EQ(folder.messages.texts().size(), 2u);
    notesView.runCommand(kDocBold);
    EXPECT_EQ(folder.messages.texts().back(), "Switch Design Mode to ON!");
    ASSERT_TRUE(SaveNotes(notes, notesView.saveState()));
    NoteTable notesBack;
    ASSERT_TRUE(SerializeNotesFile(notesBack, false));
    ASSERT_EQ(notesBack.size(), 1u);
    EXPECT_EQ(notesBack[0].html, note);
}
