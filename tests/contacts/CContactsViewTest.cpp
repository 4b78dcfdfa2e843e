#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

#include "contacts/CContactsView.h"
#include "contacts/CCustomizeColumnsDialog.h"
#include "contacts/CPersonPropSheet.h"
#include "contacts/CPersonalPage.h"
#include "controls/CGroupDialog.h"
#include "controls/CGroupTree.h"
#include "controls/CSkinButton.h"
#include "settings/AppSettings.h"
#include "storage/DataFile.h"
#include "support/Fakes.h"
#include "support/ModalAnswer.h"
#include "tree/GroupTreeCommands.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace veltrin;

namespace {

using Answer = Messages::Answer;

ContactItem contact(std::int32_t group, const std::string& display, int current = 0) {
    ContactItem c;
    c.groupId = group;
    c.fields.set(ContactFieldRecordIndex("Name"), display);
    c.fields.set(ContactFieldRecordIndex("First Name"), display);
    c.isCurrent = current;
    return c;
}

// Every field filled with a text of its own, some in Windows-1252 with CR LF.
ContactItem fullContact(std::int32_t group) {
    ContactItem c;
    c.groupId = group;
    for (int i = 0; i < kContactFieldCount; ++i) c.fields.set(i, "f" + std::to_string(i) + " Ren\xe9" + "e");
    c.fields.set(ContactFieldRecordIndex("Notes"), "line one\r\nline two \xe4");
    c.fields.set(ContactFieldRecordIndex("Home Street"), "1 Rue\r\nParis");
    return c;
}

class ContactsView : public ::testing::Test {
protected:
    ContactsView() {
        SharedVersion() = kDefaultVersionBits;
        ApplySettingsDefaults(settings);
        // Friends > Chess, and Work; Work was shown last.
        store.groups = {
            {0, "Friends", 1, 0, 0, 0, 10}, {1, "Chess", 2, 1, 0, 1, 20}, {-1, "Work", 0, 0, 1, 1, 30}};
        store.contacts = {contact(10, "Ann"), contact(30, "Bo"),    contact(20, "Cy"),
                          fullContact(30),    contact(30, "Di", 1), contact(77, "Orphan")};
    }
    ~ContactsView() override { SharedVersion() = kDefaultVersionBits; }

    CContactsView& view() {
        if (!view_) {
            view_ = std::make_unique<CContactsView>(store, settings);
            view_->show();  // a view takes its rows once it is on screen
        }
        return *view_;
    }
    GroupTreeModel& groups() { return view().groupTree()->model(); }
    GroupTreeModel& list() { return view().contactList()->model(); }
    NodeHandle row(int i) { return list().GetChildItem(kRootNode, i); }
    NodeHandle group(const std::string& name) {
        for (NodeHandle n = groups().GetNextItem(kRootNode, kFirstChild); n != kNoNode;
             n = groups().NextInPreorder(n))
            if (groups().GetItemText(n, 0) == name) return n;
        return kNoNode;
    }
    std::string cell(int r, int c) { return list().GetItemText(row(r), c); }
    ContactItem record(int r) { return list().GetContactRecord<ContactItem>(row(r)); }
    std::string file() { return test::readAll(folder.file("Contacts.dat")); }
    ContactStore loaded() {
        ContactStore s;
        EXPECT_TRUE(SerializeContactsFile(s, false));
        return s;
    }
    void answerNextDialog(bool accept, const std::function<void(QDialog*)>& before = {}) {
        test::AnswerNextDialog(accept, before);
    }

    test::ProgramFolder folder;
    AppSettings settings;
    ContactStore store;
    std::unique_ptr<CContactsView> view_;
};

}  // namespace

TEST_F(ContactsView, StartsOnTheCurrentGroupAndRowWithItsLayout) {
    EXPECT_EQ(groups().GetItemText(groups().GetSelectedItem(), 0), "Work");
    ASSERT_EQ(list().GetChildCount(kRootNode), 3);
    EXPECT_EQ(cell(0, 0), "Bo");
    EXPECT_EQ(list().GetSelectedItem(), row(2));  // Di was current
    EXPECT_EQ(list().ColumnCount(), 29);
    EXPECT_EQ(list().Column(0)->title, "Name");
    EXPECT_EQ(store.contacts.size(), 3u);  // Ann, Cy and the orphan stay in the array
    const std::pair<int, const char*> buttons[] = {
        {CContactsView::kNewContact, "New..."},
        {CContactsView::kEditContact, "Edit..."},
        {CContactsView::kRemoveContact, "Remove..."},
        {CContactsView::kContactUp, "Move up"},
        {CContactsView::kContactDown, "Move down"},
        {CContactsView::kCustomizeHeaders, "Customize headers..."}};
    for (const auto& [command, caption] : buttons)
        EXPECT_EQ(view().commandButton(command)->text().toStdString(), caption);

    view().resize(900, 600);
    view().show();
    const QRect listRect = view().contactList()->geometry();
    EXPECT_EQ(view().commandButton(CContactsView::kNewContact)->geometry().left(), listRect.left());
    EXPECT_EQ(view().commandButton(CContactsView::kEditContact)->geometry().left(), listRect.left() + 100);
    // Each caption fits its button.
    for (const auto& [command, caption] : buttons) {
        const CSkinButton* b = view().commandButton(command);
        EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text()) + 4, b->width()) << caption;
    }
    EXPECT_EQ(listRect.right(), view().width() - 10 - 11);
    EXPECT_GT(view().commentBox()->geometry().top(), view().groupTree()->geometry().bottom());
}

// A start into the tray: the view is built in a window not on screen. The
// contacts stay in the store, a save in between writes every one of them as
// it was, and the rows come with the first show.
TEST_F(ContactsView, AWindowNotOnScreenTakesItsRowsWhenItShows) {
    QWidget window;
    auto* hidden = new CContactsView(store, settings, &window);
    EXPECT_EQ(hidden->contactList()->model().GetChildCount(kRootNode), 0);
    EXPECT_EQ(store.contacts.size(), 6u);
    EXPECT_TRUE(hidden->commentBox()->isReadOnly());
    const ContactStore before = store;
    ASSERT_TRUE(SaveContacts(store, settings.contactColumns, hidden->saveState()));
    const ContactStore written = loaded();
    ASSERT_EQ(written.contacts.size(), before.contacts.size());
    for (std::size_t i = 0; i < before.contacts.size(); ++i) {
        EXPECT_EQ(written.contacts[i].fields, before.contacts[i].fields) << i;
        EXPECT_EQ(written.contacts[i].groupId, before.contacts[i].groupId) << i;
        EXPECT_EQ(written.contacts[i].isCurrent, before.contacts[i].isCurrent) << i;
    }
    window.show();
    GroupTreeModel& rows = hidden->contactList()->model();
    ASSERT_EQ(rows.GetChildCount(kRootNode), 3);
    EXPECT_EQ(rows.GetItemText(rows.GetSelectedItem(), 0), "Di");
    EXPECT_EQ(store.contacts.size(), 3u);
    // Hidden to the tray and shown again: nothing is taken twice.
    window.hide();
    window.show();
    EXPECT_EQ(rows.GetChildCount(kRootNode), 3);
    EXPECT_EQ(store.contacts.size(), 3u);
}

// The help page names the buttons as they read.
TEST_F(ContactsView, HelpPageNamesTheButtons) {
    const std::string page = test::readAll(std::string(VELTRIN_HELP_SOURCE) + "/Working/contacts.htm");
    ASSERT_FALSE(page.empty());
    for (int command :
         {CContactsView::kNewContact, CContactsView::kEditContact, CContactsView::kRemoveContact,
          CContactsView::kContactUp, CContactsView::kContactDown, CContactsView::kCustomizeHeaders}) {
        const std::string caption = view().commandButton(command)->text().toStdString();
        EXPECT_NE(page.find("<b>" + caption + "</b>"), std::string::npos) << caption;
    }
}

// Every row shows the contact icon, a new one too, so that all texts line up.
TEST_F(ContactsView, EveryRowShowsTheContactIconANewOneToo) {
    ASSERT_EQ(view().contactList()->ImageList().size(), 1u);
    EXPECT_FALSE(view().contactList()->ImageList()[0].isNull());
    list().SelectItem(row(0), -1);
    answerNextDialog(true, [](QDialog* d) { d->findChild<QLineEdit*>("First Name")->setText("Eve"); });
    view().runListCommand(CContactsView::kNewContact);
    ASSERT_EQ(cell(1, 0), "Eve");
    const CellLayout first = list().LayoutCell(row(0), 0);
    EXPECT_TRUE(first.hasIcon);
    for (int r = 1; r < list().GetChildCount(kRootNode); ++r) {
        EXPECT_EQ(list().GetItemImage(row(r), 0), kContactIcon) << r;
        EXPECT_EQ(list().LayoutCell(row(r), 0).textLeft, first.textLeft) << r;
    }

    // Drawn alike: the new row's icon is the first row's.
    list().SelectItem(row(3), -1);
    view().resize(900, 600);
    view().show();
    CGroupTree* tree = view().contactList();
    const QImage shot = tree->viewport()->grab().toImage();
    const QRect oldIcon = tree->PartRect(0, 0, CellPart::Icon),
                newIcon = tree->PartRect(1, 0, CellPart::Icon);
    ASSERT_FALSE(oldIcon.isEmpty());
    ASSERT_EQ(oldIcon.size(), newIcon.size());
    EXPECT_EQ(shot.copy(newIcon), shot.copy(oldIcon));
    int differing = 0;
    const QColor back = shot.pixelColor(oldIcon.topLeft());
    for (int y = oldIcon.top(); y <= oldIcon.bottom(); ++y)
        for (int x = oldIcon.left(); x <= oldIcon.right(); ++x) differing += shot.pixelColor(x, y) != back;
    EXPECT_GT(differing, 20) << "no icon drawn";
}

TEST_F(ContactsView, CommandsWithoutSelectionShowTheirMessages) {
    store = {};
    view();
    view().runListCommand(CContactsView::kNewContact);
    view().runListCommand(CContactsView::kEditContact);
    view().runListCommand(CContactsView::kRemoveContact);
    view().runListCommand(CContactsView::kContactUp);
    view().runListCommand(CContactsView::kContactDown);
    view().runGroupCommand(kTreeDeleteItem);
    view().runGroupCommand(kTreeEditItem);  // nothing, no message
    EXPECT_EQ(folder.messages.texts(),
              (std::vector<std::string>{"No group selected!", "No group selected!",
                                        "No contact item selected!", "No contact item selected!",
                                        "No contact item selected!", "No group selected!"}));
    for (const auto& s : folder.messages.shown) EXPECT_EQ(s.caption, "Veltrin");

    // A group without contacts: Edit asks for a contact.
    store.groups = {{0, "Empty", 0, 0, 1, 1, 5}};
    view_.reset();
    folder.messages.shown.clear();
    view().runListCommand(CContactsView::kEditContact);
    EXPECT_EQ(folder.messages.texts(), std::vector<std::string>{"No contact item selected!"});
    EXPECT_TRUE(view().commentBox()->isReadOnly());
    EXPECT_TRUE(view().commentBox()->toPlainText().isEmpty());
}

TEST_F(ContactsView, NewContactComesAfterTheSelectedRowOrLastAndIsSaved) {
    list().SelectItem(row(0), -1);
    answerNextDialog(true, [](QDialog* d) {
        auto* sheet = qobject_cast<CPersonPropSheet*>(d);
        ASSERT_TRUE(sheet);
        EXPECT_EQ(sheet->windowTitle(), "Properties");
        sheet->findChild<QLineEdit*>("First Name")->setText("Eve");
        sheet->findChild<QLineEdit*>("Last Name")->setText("Ng");
    });
    view().runListCommand(CContactsView::kNewContact);
    ASSERT_EQ(list().GetChildCount(kRootNode), 4);
    EXPECT_EQ(cell(1, 0), "Eve Ng");
    EXPECT_EQ(list().GetSelectedItem(), row(1));
    EXPECT_EQ(record(1).groupId, 30);
    ContactStore back = loaded();
    EXPECT_EQ(back.contacts.size(), 7u);

    list().SelectItem(kRootNode, -1);  // no row selected
    answerNextDialog(true, [](QDialog* d) { d->findChild<QLineEdit*>("First Name")->setText("Zed"); });
    view().runListCommand(CContactsView::kNewContact);
    EXPECT_EQ(cell(4, 0), "Zed");

    // Cancel adds nothing and writes nothing.
    const std::string before = file();
    answerNextDialog(false);
    view().runListCommand(CContactsView::kNewContact);
    EXPECT_EQ(list().GetChildCount(kRootNode), 5);
    EXPECT_EQ(file(), before);
}

TEST_F(ContactsView, UntouchedContactKeepsItsBytesThroughEditAndInPlaceEdit) {
    list().SelectItem(row(1), -1);  // the full Windows-1252 contact
    ASSERT_TRUE(SaveContacts(store, settings.contactColumns, view().saveState()));
    const std::string before = file();
    const ContactItem original = record(1);

    answerNextDialog(true);
    view().runListCommand(CContactsView::kEditContact);
    EXPECT_TRUE(record(1).fields == original.fields);
    EXPECT_EQ(file(), before);

    // An in-place edit that leaves the text as it was.
    CGroupTree* tree = view().contactList();
    tree->show();
    ASSERT_TRUE(list().BeginEdit(row(1), 0));
    EXPECT_TRUE(list().EndEdit(list().GetItemText(row(1), 0)));
    EXPECT_TRUE(record(1).fields == original.fields);
    EXPECT_EQ(file(), before);

    // Showing the notes in the comment box and switching groups changes nothing either.
    EXPECT_EQ(view().commentBox()->toPlainText().toStdString(), "line one\nline two \xc3\xa4");
    groups().SelectItem(group("Friends"), -1);
    groups().SelectItem(group("Work"), -1);
    ASSERT_TRUE(SaveContacts(store, settings.contactColumns, view().saveState()));
    ContactStore back = loaded();
    int found = 0;
    for (const ContactItem& c : back.contacts)
        if (c.fields == original.fields) ++found;
    EXPECT_EQ(found, 1);
}

TEST_F(ContactsView, EditChangesTheFieldsRefillsTheCellsAndSaves) {
    list().SelectItem(row(0), -1);
    answerNextDialog(true, [](QDialog* d) {
        d->findChild<QLineEdit*>("Company")->setText("Acme");
        d->findChild<QLineEdit*>("First Name")->setText("Bob");  // automatic: "Bo" begins with "Bo"
    });
    view().runListCommand(CContactsView::kEditContact);
    EXPECT_EQ(cell(0, 0), "Bob");
    EXPECT_EQ(cell(0, 24), "Acme");
    ContactStore back = loaded();
    bool seen = false;
    for (const ContactItem& c : back.contacts) seen |= c.fields[ContactFieldRecordIndex("Company")] == "Acme";
    EXPECT_TRUE(seen);
}

TEST_F(ContactsView, RemoveAsksAndNoLeavesListAndFileAlone) {
    ASSERT_TRUE(SaveContacts(store, settings.contactColumns, view().saveState()));
    const std::string before = file();
    list().SelectItem(row(0), -1);
    folder.messages.answers = {Answer::No};
    view().runListCommand(CContactsView::kRemoveContact);
    ASSERT_EQ(folder.messages.shown.size(), 1u);
    EXPECT_EQ(folder.messages.shown[0].text, "Are you sure to remove 'Bo' contact ?");
    EXPECT_EQ(folder.messages.shown[0].caption, "contact removing...");
    EXPECT_EQ(folder.messages.shown[0].buttons, Messages::Buttons::YesNo);
    EXPECT_EQ(list().GetChildCount(kRootNode), 3);
    EXPECT_EQ(file(), before);

    view().runListCommand(CContactsView::kRemoveContact);  // Yes
    EXPECT_EQ(list().GetChildCount(kRootNode), 2);
    EXPECT_EQ(loaded().contacts.size(), 5u);
}

TEST_F(ContactsView, MovesSwapRowsQuietlyAndWaitForTheNextSave) {
    ASSERT_TRUE(SaveContacts(store, settings.contactColumns, view().saveState()));
    const std::string before = file();
    list().SelectItem(row(0), -1);
    view().runListCommand(CContactsView::kContactUp);  // the first row: nothing
    EXPECT_EQ(cell(0, 0), "Bo");
    view().runListCommand(CContactsView::kContactDown);
    EXPECT_EQ(cell(1, 0), "Bo");
    EXPECT_EQ(list().GetSelectedItem(), row(1));
    EXPECT_TRUE(folder.messages.shown.empty());
    EXPECT_EQ(file(), before);
}

TEST_F(ContactsView, RemovingAGroupRemovesTheContactsOfItsWholeSubtree) {
    groups().SelectItem(group("Friends"), -1);
    ASSERT_EQ(list().GetChildCount(kRootNode), 1);
    view().runGroupCommand(kTreeDeleteItem);
    ASSERT_EQ(folder.messages.shown.size(), 1u);
    EXPECT_EQ(folder.messages.shown[0].text, "Are you sure to remove 'Friends' group ?");
    EXPECT_EQ(folder.messages.shown[0].caption, "Group removing...");
    EXPECT_EQ(group("Chess"), kNoNode);
    EXPECT_EQ(groups().GetItemText(groups().GetSelectedItem(), 0), "Work");
    EXPECT_EQ(list().GetChildCount(kRootNode), 3);
    ContactStore back = loaded();
    EXPECT_EQ(back.groups.size(), 1u);
    EXPECT_EQ(back.contacts.size(), 4u);  // Work's three and the orphan
    for (const ContactItem& c : back.contacts) EXPECT_TRUE(c.groupId == 30 || c.groupId == 77);
}

TEST_F(ContactsView, CommentBoxFollowsTheNotesBothWays) {
    list().SelectItem(row(0), -1);
    EXPECT_FALSE(view().commentBox()->isReadOnly());
    view().commentBox()->setPlainText("called back");
    EXPECT_EQ(record(0).fields[ContactFieldRecordIndex("Notes")], "called back");
    EXPECT_EQ(cell(0, 28), "called back");

    // With "Notes" as first column, an in-place edit reaches the box.
    ContactColumns columns = settings.contactColumns;
    std::swap(columns[0], columns[28]);
    settings.contactColumns = columns;
    view_.reset();
    list().SelectItem(row(0), -1);
    ASSERT_EQ(list().Column(0)->title, "Notes");
    ASSERT_TRUE(list().BeginEdit(row(0), 0));
    EXPECT_TRUE(list().EndEdit("newer"));
    EXPECT_EQ(view().commentBox()->toPlainText(), "newer");
    view().commentBox()->appendPlainText("!");
    EXPECT_EQ(record(0).fields[ContactFieldRecordIndex("Notes")], "newer\n!");

    // After the sheet as well.
    answerNextDialog(true,
                     [](QDialog* d) { d->findChild<QPlainTextEdit*>("Notes")->setPlainText("from sheet"); });
    view().runListCommand(CContactsView::kEditContact);
    EXPECT_EQ(view().commentBox()->toPlainText(), "from sheet");

    list().SelectItem(kRootNode, -1);  // no row selected
    EXPECT_TRUE(view().commentBox()->toPlainText().isEmpty());
    EXPECT_TRUE(view().commentBox()->isReadOnly());
}

TEST_F(ContactsView, FirstColumnEditsTheFieldItShows) {
    ContactColumns columns = settings.contactColumns;
    std::swap(columns[0], columns[24]);  // "Company" first
    settings.contactColumns = columns;
    list().SelectItem(row(0), -1);
    ASSERT_TRUE(list().BeginEdit(row(0), 0));
    EXPECT_TRUE(list().EndEdit("Acme"));
    EXPECT_EQ(record(0).fields[ContactFieldRecordIndex("Company")], "Acme");
    EXPECT_EQ(record(0).fields[ContactFieldRecordIndex("Name")], "Bo");
    ContactStore back = loaded();  // saved at once
    bool seen = false;
    for (const ContactItem& c : back.contacts) seen |= c.fields[ContactFieldRecordIndex("Company")] == "Acme";
    EXPECT_TRUE(seen);
}

TEST_F(ContactsView, HeadingThatNamesNoFieldIsNotEditedAndNoColumnsAtAllIsSurvived) {
    settings.contactColumns[0].name = "Birthday";
    list().SelectItem(row(0), -1);
    EXPECT_FALSE(list().BeginEdit(row(0), 0));
    const ContactItem before = record(0);
    EXPECT_TRUE(record(0).fields == before.fields);

    view_.reset();
    for (ContactColumn& c : settings.contactColumns) c.shown = 0;
    EXPECT_EQ(list().ColumnCount(), 0);
    EXPECT_EQ(list().GetChildCount(kRootNode), 3);
    answerNextDialog(true, [](QDialog* d) { d->findChild<QLineEdit*>("First Name")->setText("Eve"); });
    view().runListCommand(CContactsView::kNewContact);
    EXPECT_EQ(list().GetChildCount(kRootNode), 4);
    view().runListCommand(CContactsView::kRemoveContact);
    EXPECT_EQ(folder.messages.shown.back().text, "Are you sure to remove '' contact ?");
}

TEST_F(ContactsView, SwitchingGroupsKeepsEveryFieldOfEveryContact) {
    const ContactItem full = fullContact(30);
    for (const char* name : {"Friends", "Chess", "Work", "Friends", "Work"})
        groups().SelectItem(group(name), -1);
    ASSERT_TRUE(SaveContacts(store, settings.contactColumns, view().saveState()));
    ContactStore back = loaded();
    ASSERT_EQ(back.contacts.size(), 6u);
    int fulls = 0;
    for (const ContactItem& c : back.contacts) fulls += c.fields == full.fields;
    EXPECT_EQ(fulls, 1);
}

TEST_F(ContactsView, NewGroupGetsAnUnusedIdAndEditGroupUpdatesIt) {
    groups().SelectItem(group("Friends"), -1);
    answerNextDialog(true, [](QDialog* d) {
        auto* g = qobject_cast<CGroupDialog*>(d);
        ASSERT_TRUE(g);
        EXPECT_EQ(g->nameEdit()->text(), "New contact group");
        g->nameEdit()->setText("Family");
    });
    view().runGroupCommand(kTreeInsertChild);
    const NodeHandle family = group("Family");
    ASSERT_NE(family, kNoNode);
    EXPECT_EQ(groups().GetNextItem(family, kParent), group("Friends"));
    EXPECT_EQ(groups().GetSelectedItem(), family);
    EXPECT_GE(groups().GetContactGroupId(family), 100);
    EXPECT_EQ(list().GetChildCount(kRootNode), 0);
    EXPECT_EQ(loaded().groups.size(), 4u);

    answerNextDialog(true, [](QDialog* d) { qobject_cast<CGroupDialog*>(d)->nameEdit()->setText("Kin"); });
    view().runGroupCommand(kTreeEditItem);
    EXPECT_EQ(groups().GetItemText(family, 0), "Kin");
    EXPECT_EQ(loaded().groups[2].name, "Kin");
}

TEST_F(ContactsView, CustomizedColumnsRefillTheRowsAndAreSaved) {
    view().contactList()->model().SetColumnWidth(0, 170);
    answerNextDialog(true, [](QDialog* d) {
        auto* c = qobject_cast<CCustomizeColumnsDialog*>(d);
        ASSERT_TRUE(c);
        c->shownList()->item(0)->setSelected(true);  // "Name"
        c->removeButton()->click();
        ASSERT_TRUE(c->okButton()->isEnabled());
    });
    view().runListCommand(CContactsView::kCustomizeHeaders);
    ASSERT_EQ(list().ColumnCount(), 28);
    EXPECT_EQ(list().Column(0)->title, "First Name");
    EXPECT_EQ(list().GetChildCount(kRootNode), 3);
    EXPECT_EQ(cell(0, 0), "Bo");
    EXPECT_EQ(settings.contactColumns[28].name, "Name");
    EXPECT_EQ(settings.contactColumns[28].shown, 0);
    EXPECT_EQ(settings.contactColumns[28].width, 170);
    EXPECT_EQ(loaded().contacts.size(), 6u);
}

TEST_F(ContactsView, SavingTakesTheTextOfAnOpenCellEditor) {
    // The editor need not hold the focus: the window may not be the active one.
    CGroupTree* tree = view().contactList();
    tree->show();
    list().SelectItem(row(0), 0);
    QTest::keyClicks(tree, "B");  // a typed letter opens the cell editor
    auto* editor = qobject_cast<QLineEdit*>(tree->Editor());
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Bea"));
    ASSERT_TRUE(SaveContacts(store, settings.contactColumns, view().saveState()));
    EXPECT_EQ(record(0).fields[ContactFieldRecordIndex("Name")], "Bea");
    bool seen = false;
    for (const ContactItem& c : loaded().contacts) seen |= c.fields[ContactFieldRecordIndex("Name")] == "Bea";
    EXPECT_TRUE(seen);
    // The edit goes on: Enter ends it later and stores what was typed since.
    ASSERT_EQ(tree->Editor(), editor);
    QTest::keyClicks(editor, "ta");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(tree->Editor(), nullptr);
    EXPECT_EQ(record(0).fields[ContactFieldRecordIndex("Name")], "Beata");
    seen = false;
    for (const ContactItem& c : loaded().contacts)
        seen |= c.fields[ContactFieldRecordIndex("Name")] == "Beata";
    EXPECT_TRUE(seen);
}

TEST_F(ContactsView, CommandsEndAnOpenCellEditFirst) {
    view().resize(900, 600);
    view().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view(), 30000));
    CGroupTree* contacts = view().contactList();
    list().SelectItem(row(0), -1);
    QTest::keyClicks(contacts, "B");
    ASSERT_NE(contacts->Editor(), nullptr);
    QTest::keyClicks(contacts->Editor(), "ob");
    // "Edit..." opens the sheet on the name as typed.
    answerNextDialog(true, [](QDialog* d) {
        EXPECT_EQ(d->findChild<QComboBox*>("Name")->currentText(), QStringLiteral("Bob"));
    });
    QTest::mouseClick(view().commandButton(CContactsView::kEditContact), Qt::LeftButton);
    EXPECT_EQ(contacts->Editor(), nullptr);
    EXPECT_EQ(cell(0, 0), "Bob");
    bool seen = false;
    for (const ContactItem& c : loaded().contacts) seen |= c.fields[ContactFieldRecordIndex("Name")] == "Bob";
    EXPECT_TRUE(seen);

    // The tree's commands keep a group name being typed.
    groups().SetAllCollapsed(false);
    groups().SelectItem(group("Chess"), 0);
    QTest::keyClicks(view().groupTree(), "G");
    ASSERT_NE(view().groupTree()->Editor(), nullptr);
    QTest::keyClicks(view().groupTree()->Editor(), "o");
    view().runGroupCommand(kTreeCollapseAll);
    EXPECT_EQ(view().groupTree()->Editor(), nullptr);
    EXPECT_NE(group("Go"), kNoNode);
}
