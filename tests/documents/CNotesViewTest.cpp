// The Notes view on the real engine: few tests, each a group of behaviour.
#include <QCheckBox>
#include <QLabel>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <gtest/gtest.h>

#include <QLineEdit>
#include "controls/CGroupTree.h"
#include "controls/CPictureButton.h"
#include "controls/CToolStrip.h"
#include "documents/CDocumentEditor.h"
#include "documents/CNoteDialog.h"
#include "documents/CNotesView.h"
#include "documents/DocumentRecords.h"
#include "imaging/QtPicture.h"
#include "settings/AppSettings.h"
#include "support/Fakes.h"
#include "support/ModalAnswer.h"
#include "support/ShippedTemplates.h"
#include "support/ShownText.h"
#include "tree/GroupTreeCommands.h"

using namespace veltrin;
namespace fs = std::filesystem;

namespace {

class NotesView : public ::testing::Test {
protected:
    NotesView() {
        test::CopyShippedTemplates(folder.root);
        ApplySettingsDefaults(settings);
        // Garden with the child Café (an old Windows-1252 page), then Books.
        table.resize(3);
        table[0].name = "Garden";
        table[0].collapsed = 0;
        table[0].html = "<body><p>Roses</p></body>";
        table[1].levelStep = 1;
        table[1].name = "Caf\xe9";
        table[1].html = "<body><p>Cr\xe8me \x80 2</p></body>";
        table[1].isCurrent = 1;
        table[2].levelStep = -1;
        table[2].name = "Books/Films";
        table[2].html = "<body><p>Dune</p></body>";
    }
    std::unique_ptr<CNotesView> make() {
        auto view = std::make_unique<CNotesView>(table, settings);
        view->resize(900, 600);
        view->show();
        return view;
    }
    NodeHandle find(CNotesView& view, const std::string& name) const {
        const GroupTreeModel& tree = view.tree()->model();
        for (NodeHandle n = tree.GetNextItem(kRootNode, kFirstChild); n; n = tree.NextInPreorder(n))
            if (tree.GetItemText(n, 0) == name) return n;
        return kNoNode;
    }
    NoteTable stored() const {
        NoteTable back;
        EXPECT_TRUE(SerializeNotesFile(back, false));
        return back;
    }

    test::ProgramFolder folder;
    AppSettings settings;
    NoteTable table;
};

}  // namespace

TEST_F(NotesView, ReadingNotesChangesNoByteAndExportNamesAreSafe) {
    auto view = make();
    EXPECT_TRUE(folder.messages.shown.empty()) << folder.messages.texts().front();
    EXPECT_EQ(view->captionLabel()->text(), QStringLiteral("Café"));
    EXPECT_EQ(view->editor()->GetBodyText(), "Cr\xc3\xa8me \xe2\x82\xac 2") << "old bytes shown decoded";

    GroupTreeModel& tree = view->tree()->model();
    tree.SelectItem(find(*view, "Books/Films"), 0);
    EXPECT_EQ(view->editor()->GetBodyText(), "Dune");
    QString suggested;
    view->setSavePathAsker([&](const QString& s, bool) {
        suggested = s;
        return QString();  // cancelled
    });
    view->runCommand(kDocSaveHtml);
    EXPECT_EQ(suggested, QStringLiteral("Books_Films"));
    tree.SelectItem(find(*view, "Garden"), 0);
    EXPECT_EQ(view->editor()->GetBodyText(), "Roses");
    tree.SelectItem(find(*view, "Caf\xe9"), 0);

    SaveNotes(table, view->saveState());
    const NoteTable back = stored();
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0].html, "<body><p>Roses</p></body>");
    EXPECT_EQ(back[1].html, "<body><p>Cr\xe8me \x80 2</p></body>") << "an unedited old page keeps its bytes";
    EXPECT_EQ(back[1].isCurrent, 1);
    EXPECT_EQ(back[2].html, "<body><p>Dune</p></body>");
}

TEST_F(NotesView, NewEditedAndRemovedNotesGoWhereTheCommandSaysAndAreStored) {
    folder.clock.t = 1'800'000'000;
    auto view = make();
    GroupTreeModel& tree = view->tree()->model();

    // A child of the current note, from the note template, in design mode.
    view->newNote(kTreeInsertChild, QStringLiteral("Plans"), true, 7, "Note Blue");
    const NodeHandle plans = find(*view, "Plans");
    ASSERT_NE(plans, kNoNode);
    EXPECT_EQ(tree.GetNextItem(plans, kParent), find(*view, "Caf\xe9"));
    EXPECT_EQ(tree.GetItemImage(plans, 0), 7);
    EXPECT_EQ(tree.GetBold(plans), 1);
    EXPECT_EQ(view->currentNode(), plans);
    EXPECT_EQ(view->captionLabel()->text(), QStringLiteral("Plans"));
    EXPECT_TRUE(view->editor()->IsDesignMode());
    NoteTable back = stored();
    ASSERT_EQ(back.size(), 4u);
    EXPECT_EQ(back[2].name, "Plans");
    EXPECT_EQ(back[2].created, 1'800'000'000);
    EXPECT_FALSE(back[2].html.empty());
    EXPECT_EQ(back[1].html, "<body><p>Cr\xe8me \x80 2</p></body>") << "the note before kept its text";

    // A note after Garden goes after it at the top level.
    tree.SelectItem(find(*view, "Garden"), 0);
    view->newNote(kTreeInsertAfter, QStringLiteral("Music"), false, 0, "Note Blue");
    EXPECT_EQ(tree.GetNextItem(find(*view, "Garden"), kNextSibling), find(*view, "Music"));

    // A new template answered No keeps the text; Yes replaces it.
    tree.SelectItem(find(*view, "Garden"), 0);
    folder.messages.answers = {Messages::Answer::No};
    view->editNote("Garden 2", false, 3, "Note Blue");
    EXPECT_EQ(folder.messages.texts().back(),
              "The template of current note was changed. Are you sure to clear the note ?");
    EXPECT_EQ(view->captionLabel()->text(), QStringLiteral("Garden 2"));
    EXPECT_EQ(view->editor()->GetBodyText(), "Roses");
    back = stored();
    EXPECT_EQ(back[0].name, "Garden 2");
    EXPECT_EQ(back[0].html, "<body><p>Roses</p></body>");

    // Remove answered No keeps the note; Yes takes it with its children.
    tree.SelectItem(find(*view, "Caf\xe9"), 0);
    folder.messages.answers = {Messages::Answer::No};
    view->removeNote();
    EXPECT_EQ(folder.messages.texts().back(), "Are you sure to remove 'Caf\xc3\xa9' note ?")
        << "the old name is shown decoded";
    EXPECT_NE(find(*view, "Caf\xe9"), kNoNode);
    view->removeNote();
    EXPECT_EQ(find(*view, "Caf\xe9"), kNoNode);
    EXPECT_EQ(find(*view, "Plans"), kNoNode);
    back = stored();
    ASSERT_EQ(back.size(), 3u);
    for (const NoteItem& note : back) EXPECT_NE(note.name, "Plans");
}

TEST_F(NotesView, TheNoteTreeTakesTheUsersListColours) {
    auto view = make();
    CViewBase::ListColours colours;
    colours.text = QColor(10, 20, 30);
    colours.back = QColor(200, 210, 220);
    colours.selectedText = QColor(1, 2, 3);
    colours.selectedBack = QColor(250, 240, 230);
    view->setListColours(colours);

    // Rows are painted from the model's colours, the selected row from the palette.
    const GroupTreeModel& tree = view->tree()->model();
    EXPECT_EQ(QColorFromColour(tree.ListTextColour()), colours.text);
    EXPECT_EQ(QColorFromColour(tree.ListBackColour()), colours.back);
    EXPECT_EQ(view->tree()->palette().color(QPalette::HighlightedText), colours.selectedText);
    EXPECT_EQ(view->tree()->palette().color(QPalette::Highlight), colours.selectedBack);
}

TEST_F(NotesView, EditingOnlyTheBoldFaceKeepsAnOldNamesBytesAndAnUnknownIcon) {
    table[1].iconIndex = 99;  // beyond the icon list, as a file may hold
    auto view = make();
    view->tree()->model().SelectItem(find(*view, "Caf\xe9"), 0);
    test::AnswerNextDialog(true, [](QDialog* d) {
        auto* dialog = qobject_cast<CNoteDialog*>(d);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->name(), QStringLiteral("Café"));
        dialog->findChild<QCheckBox*>()->setChecked(true);
    });
    view->runCommand(kTreeEditItem);

    const NoteTable back = stored();
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[1].name, "Caf\xe9") << "the Windows-1252 name keeps its bytes";
    EXPECT_EQ(back[1].bold, 1);
    EXPECT_EQ(back[1].iconIndex, 99);
    EXPECT_EQ(view->captionLabel()->text(), QStringLiteral("Café"));
}

TEST_F(NotesView, ATemplateThatCannotBeReadLeavesTheNoteAsItWasWithItsTyping) {
    fs::create_directories(folder.root / "template" / "Empty");  // no start document
    auto view = make();
    GroupTreeModel& tree = view->tree()->model();
    tree.SelectItem(find(*view, "Garden"), 0);
    ASSERT_EQ(view->editor()->GetBodyText(), "Roses");
    // Words added to the note and not yet taken into it.
    view->editor()->findChild<QWebEnginePage*>()->runJavaScript(
        "document.body.insertAdjacentHTML('beforeend','<p>Tulips</p>')", QWebEngineScript::ApplicationWorld);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return view->editor()->GetBodyText().find("Tulips") != std::string::npos; }, 30000));

    folder.messages.answers = {Messages::Answer::Yes};
    view->editNote("Garden", false, 0, "Empty");
    EXPECT_EQ(folder.messages.texts(),
              (std::vector<std::string>{
                  "The template of current note was changed. Are you sure to clear the note ?",
                  "Cannot open template 'Empty' !\n Open 'Options' dialog and choose other default Note "
                  "template!"}));
    EXPECT_EQ(view->currentNode(), find(*view, "Garden"));
    const std::string shown = view->editor()->GetBodyText();
    EXPECT_NE(shown.find("Roses"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Tulips"), std::string::npos) << shown;
    const NoteTable back = stored();
    ASSERT_EQ(back.size(), 3u);
    EXPECT_NE(back[0].html.find("Roses"), std::string::npos) << back[0].html;
    EXPECT_NE(back[0].html.find("Tulips"), std::string::npos) << back[0].html;

    // A template that can be read still replaces the text.
    view->editNote("Garden", false, 0, "Note Blue");
    EXPECT_EQ(stored()[0].html.find("Roses"), std::string::npos);
    EXPECT_TRUE(view->editor()->IsDesignMode());
}

TEST_F(NotesView, NamesThatLookLikeMarkupAreShownAsTyped) {
    table[0].name = "a <b>b</b> & <i>Garden</i>";
    auto view = make();
    view->tree()->model().SelectItem(find(*view, table[0].name), 0);
    EXPECT_EQ(test::ShownText(view->captionLabel()), QStringLiteral("a <b>b</b> & <i>Garden</i>"));
    view->editNote("<h1>Big</h1>", false, 0, std::string());
    EXPECT_EQ(test::ShownText(view->captionLabel()), QStringLiteral("<h1>Big</h1>"));
}

// A save while a note's name is typed in place stores the name and leaves
// the editor open; a command ends the edit first, as Enter would.
TEST_F(NotesView, ANameBeingTypedIsSavedWithoutEndingTheEditAndCommandsEndItFirst) {
    auto view = make();
    GroupTreeModel& tree = view->tree()->model();
    tree.SelectItem(find(*view, "Garden"), 0);
    QTest::keyClick(view->tree(), Qt::Key_F2);
    auto* box = qobject_cast<QLineEdit*>(view->tree()->Editor());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(view->captionLabel()->text(), QStringLiteral("EDITING: Garden"));
    QTest::keyClicks(box, " shed");

    SaveNotes(table, view->saveState());
    EXPECT_EQ(stored()[0].name, "Garden shed");
    ASSERT_EQ(view->tree()->Editor(), box);
    EXPECT_EQ(view->captionLabel()->text(), QStringLiteral("EDITING: Garden"));

    // Escape after the save ends the edit and keeps what the file holds.
    QTest::keyClicks(box, "s");
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(view->tree()->Editor(), nullptr);
    EXPECT_EQ(tree.GetItemText(find(*view, "Garden shed"), 0), "Garden shed");

    QTest::keyClick(view->tree(), Qt::Key_F2);
    box = qobject_cast<QLineEdit*>(view->tree()->Editor());
    ASSERT_NE(box, nullptr);
    box->setText(QStringLiteral("Allotment"));
    test::AnswerNextDialog(false, [](QDialog* d) {
        auto* dialog = qobject_cast<CNoteDialog*>(d);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->name(), QStringLiteral("Allotment"));
    });
    view->ownToolbar()->button(kTreeEditItem)->click();
    EXPECT_EQ(view->tree()->Editor(), nullptr);
    EXPECT_EQ(view->captionLabel()->text(), QStringLiteral("Allotment"));
    SaveNotes(table, view->saveState());
    EXPECT_EQ(stored()[0].name, "Allotment");
}

TEST_F(NotesView, NotesAreListedOnlyWhenAskedForAndEditedNotesAreSavedFromThen) {
    ASSERT_TRUE(SerializeNotesFile(table, true));
    const std::string bytes = test::readAll(folder.file("Notes.dat"));

    CNotesView view(table, settings);
    EXPECT_FALSE(view.recordsListed());
    EXPECT_EQ(view.saveState().tree, nullptr) << "nothing listed: the table is what a save writes";
    ASSERT_TRUE(SaveNotes(table, view.saveState()));
    view.showStoredNotes();  // a sync or import while never shown
    EXPECT_FALSE(view.recordsListed());
    EXPECT_EQ(test::readAll(folder.file("Notes.dat")), bytes);

    // Asked for (as a show does), the tree is there with the current note chosen.
    const NodeHandle cafe = find(view, "Caf\xe9");
    ASSERT_NE(cafe, kNoNode);
    EXPECT_TRUE(view.recordsListed());
    EXPECT_EQ(view.currentNode(), cafe);

    // From now on the tree is what a save writes.
    view.tree()->model().SetItemText(find(view, "Books/Films"), 0, "Books");
    ASSERT_TRUE(SaveNotes(table, view.saveState()));
    const NoteTable back = stored();
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[1].name, "Caf\xe9");
    EXPECT_EQ(back[1].html, table[1].html);
    EXPECT_EQ(back[1].isCurrent, 1);
    EXPECT_EQ(back[2].name, "Books");
}
