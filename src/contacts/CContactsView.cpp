#include "contacts/CContactsView.h"

#include <QPlainTextEdit>

#include "contacts/CCustomizeColumnsDialog.h"
#include "contacts/CPersonPropSheet.h"
#include "controls/CGroupTree.h"
#include "controls/CPopupMenu.h"
#include "controls/QtThemeIcons.h"
#include "platform/Platform.h"
#include "settings/AppSettings.h"
#include "storage/QtStoredText.h"
#include "storage/StoredText.h"
#include "tree/GroupTreeCommands.h"

namespace veltrin {

namespace {

const int kNotesField = ContactFieldRecordIndex("Notes");

}  // namespace

CContactsView::CContactsView(ContactStore& store, AppSettings& settings, QWidget* parent)
    : CTreeListView(QStringLiteral("Contacts"),
                    {{kNewContact, "New..."},
                     {kEditContact, "Edit..."},
                     {kRemoveContact, "Remove..."},
                     {kContactUp, "Move up"},
                     {kContactDown, "Move down"},
                     {kCustomizeHeaders, "Customize headers..."}},
                    parent),
      store_(store),
      settings_(settings) {
    setObjectName(QStringLiteral("CContactsView"));
    CGroupTree* tree = groupTree();
    tree->model().SetFullRowSelect(true);

    auto* list = new CGroupTree(this);
    list->setObjectName(QStringLiteral("contacts"));
    list->model().SetControlId(1059);
    list->model().SetTreeColumn(-1);
    list->model().SetFullRowSelect(true);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, &CContactsView::showListMenu);
    listStyle_ = list->model().AddCellStyle(kStyleEditable);
    list->SetImageList({NumberedIcon(287).pixmap(16, 16)});
    BuildContactColumns(list->model(), settings_.contactColumns);
    setRecordList(list);

    connect(commentBox(), &QPlainTextEdit::textChanged, this, &CContactsView::commentEdited);

    tree->SetListener(this);
    list->SetListener(this);
    buildGroupTree();
    showComment();
}

void CContactsView::buildGroupTree() {
    GroupTreeModel& tree = groupTree()->model();
    const NodeHandle current = BuildContactGroupTree(tree, store_.groups);
    for (NodeHandle n = tree.GetNextItem(kRootNode, kFirstChild); n != kNoNode; n = tree.NextInPreorder(n))
        tree.SetCellStyle(n, 0, groupStyle());
    const NodeHandle first = current != kNoNode ? current : tree.GetNextItem(kRootNode, kFirstChild);
    if (first != kNoNode) tree.SelectItem(first, -1, true);
}

void CContactsView::showStoredGroups(const std::function<void()>& replaceStore) {
    contactList()->FinishEdit();
    groupTree()->FinishEdit();
    setUpdatesEnabled(false);
    handBack();
    if (replaceStore) replaceStore();
    GroupTreeModel& tree = groupTree()->model();
    groupTree()->SetListener(nullptr);
    while (NodeHandle n = tree.GetNextItem(kRootNode, kFirstChild)) tree.DeleteItem(n);
    groupTree()->SetListener(this);
    buildGroupTree();
    if (!shownGroup_) showGroup();
    setUpdatesEnabled(true);
    showComment();
    saveNow();
}

CContactsView::~CContactsView() {
    // The store outlives the view: the rows go back there.
    handBack();
    groupTree()->SetListener(nullptr);
    contactList()->SetListener(nullptr);
}

// ---------------------------------------------------------------- list and store

void CContactsView::handBack() {
    if (shownGroup_) HandBackContactRows(store_, contactList()->model(), *shownGroup_, true);
    shownGroup_.reset();
}

void CContactsView::showGroup() {
    GroupTreeModel& tree = groupTree()->model();
    const NodeHandle group = tree.GetSelectedItem();
    setUpdatesEnabled(false);
    handBack();
    // A window not yet on screen (a start into the tray) takes no rows: the
    // selected group's contacts stay in the store until the view shows.
    if (group != kNoNode && window()->isVisible()) {
        shownGroup_ = tree.GetContactGroupId(group);
        TakeContactsIntoList(store_, contactList()->model(), *shownGroup_, listStyle_);
    }
    setUpdatesEnabled(true);
    showComment();
}

void CContactsView::showEvent(QShowEvent* event) {
    CTreeListView::showEvent(event);
    // A group selected but not taken was left for this show.
    if (!shownGroup_ && groupTree()->model().GetSelectedItem() != kNoNode) showGroup();
}

void CContactsView::showComment() {
    GroupTreeModel& list = contactList()->model();
    const NodeHandle row = list.GetSelectedItem();
    commentStored_ = row != kNoNode ? std::string(list.GetContactRecord<ContactItem>(row).fields[kNotesField])
                                    : std::string();
    settingComment_ = true;
    commentBox()->setPlainText(FromStored(commentStored_));
    commentBox()->setReadOnly(row == kNoNode);
    commentShown_ = commentBox()->toPlainText();
    settingComment_ = false;
}

void CContactsView::commentEdited() {
    if (settingComment_) return;
    GroupTreeModel& list = contactList()->model();
    const NodeHandle row = list.GetSelectedItem();
    if (row == kNoNode) return;
    ContactItem item = list.GetContactRecord<ContactItem>(row);
    item.fields.set(kNotesField, StoredAfterEdit(commentBox()->toPlainText(), commentShown_, commentStored_));
    list.SetContactRecord(row, item);
    // A column showing the notes follows the box.
    for (int c = 0; c < list.ColumnCount(); ++c)
        if (ContactFieldRecordIndex(list.Column(c)->title) == kNotesField)
            list.SetItemText(row, c, std::string(item.fields[kNotesField]));
}

ContactViews CContactsView::saveState() {
    contactList()->TakeEdit();
    groupTree()->TakeEdit();
    return ContactViews{&groupTree()->model(), &contactList()->model()};
}

void CContactsView::saveNow() { SaveContacts(store_, settings_.contactColumns, saveState()); }

unsigned CContactsView::OnTreeNotify(const TreeNotification& n) {
    if (n.sender == &groupTree()->model()) {
        if (n.code == kNotifySelectionChanged) showGroup();
        return 0;
    }
    switch (n.code) {
    case kNotifySelectionChanged: showComment(); return 0;
    case kNotifyBeginEdit:
        // A heading that names no field (a settings file may hold one) has nothing to edit.
        return ContactFieldRecordIndex(contactList()->model().Column(n.column)
                                           ? contactList()->model().Column(n.column)->title
                                           : std::string()) < 0
                   ? kAnswerRefuse
                   : 0;
    case kNotifyEndEdit: return storeEditedCell(n);
    default: return 0;
    }
}

unsigned CContactsView::storeEditedCell(const TreeNotification& n) {
    GroupTreeModel& list = contactList()->model();
    const TreeColumn* column = list.Column(n.column);
    const int field = column ? ContactFieldRecordIndex(column->title) : -1;
    if (field < 0 || !list.IsValid(n.node)) return kAnswerRefuse;
    ContactItem item = list.GetContactRecord<ContactItem>(n.node);
    item.fields.set(static_cast<std::size_t>(field), n.text);
    list.SetContactRecord(n.node, item);
    if (field == kNotesField && n.node == list.GetSelectedItem()) {
        list.SetItemText(n.node, n.column, n.text);
        showComment();
    }
    if (!n.stillEditing) saveNow();  // else the save taking it is under way
    return 0;
}

// ---------------------------------------------------------------- contact commands

void CContactsView::listCommand(int command) {
    switch (command) {
    case kNewContact: newContact(); break;
    case kEditContact: editContact(); break;
    case kRemoveContact: removeContact(); break;
    case kContactUp:
    case kContactDown: moveContact(command); break;
    case kCustomizeHeaders: customizeColumns(); break;
    default: break;
    }
}

void CContactsView::newContact() {
    const NodeHandle group = groupTree()->model().GetSelectedItem();
    if (group == kNoNode) {
        messages().fileError("No group selected!");
        return;
    }
    CPersonPropSheet sheet(ContactItem{}, this);
    if (sheet.exec() != QDialog::Accepted) return;
    ContactItem item = sheet.item();
    item.groupId = groupTree()->model().GetContactGroupId(group);
    item.isCurrent = 0;
    GroupTreeModel& list = contactList()->model();
    const NodeHandle selected = list.GetSelectedItem();
    const NodeHandle row =
        list.InsertItem(kRootNode, selected != kNoNode ? selected : kInsertLast, std::string(), kContactIcon);
    list.SetContactRecord(row, item);
    FillContactCells(list, row, listStyle_);
    list.SelectItem(row, -1, true);
    showComment();
    saveNow();
}

void CContactsView::editContact() {
    if (groupTree()->model().GetSelectedItem() == kNoNode) {
        messages().fileError("No group selected!");
        return;
    }
    GroupTreeModel& list = contactList()->model();
    const NodeHandle row = list.GetSelectedItem();
    if (row == kNoNode) {
        messages().fileError("No contact item selected!");
        return;
    }
    CPersonPropSheet sheet(list.GetContactRecord<ContactItem>(row), this);
    if (sheet.exec() != QDialog::Accepted || !list.IsValid(row)) return;
    list.SetContactRecord(row, sheet.item());
    FillContactCells(list, row, listStyle_);
    list.SelectItem(row, -1, true);
    showComment();
    saveNow();
}

void CContactsView::removeContact() {
    GroupTreeModel& list = contactList()->model();
    const NodeHandle row = list.GetSelectedItem();
    if (row == kNoNode) {
        messages().fileError("No contact item selected!");
        return;
    }
    const std::string text =
        list.ColumnCount() > 0 ? StoredTextToUtf8(list.GetItemText(row, 0)) : std::string();
    if (!confirm("Are you sure to remove '" + text + "' contact ?", "contact removing...")) return;
    list.DeleteItem(row);
    showComment();
    saveNow();
}

void CContactsView::moveContact(int command) {
    if (contactList()->model().GetSelectedItem() == kNoNode) {
        messages().fileError("No contact item selected!");
        return;
    }
    MoveSelected(contactList()->model(), command == kContactUp ? kTreeMoveUp : kTreeMoveDown);
}

void CContactsView::customizeColumns() {
    GroupTreeModel& list = contactList()->model();
    StoreColumnWidths(list, settings_.contactColumns);
    CCustomizeColumnsDialog dialog(settings_.contactColumns, this);
    if (dialog.exec() != QDialog::Accepted) return;
    settings_.contactColumns = dialog.result();
    setUpdatesEnabled(false);
    const std::optional<std::int32_t> shown = shownGroup_;
    handBack();
    BuildContactColumns(list, settings_.contactColumns);
    if (shown) {
        shownGroup_ = shown;
        TakeContactsIntoList(store_, list, *shown, listStyle_);
    }
    setUpdatesEnabled(true);
    showComment();
    saveNow();
}

// ---------------------------------------------------------------- group commands

void CContactsView::giveNewGroupId(NodeHandle node) {
    GroupTreeModel& tree = groupTree()->model();
    tree.SetContactGroupId(node, DrawUnusedContactGroupId(tree));
}

void CContactsView::removeGroup() {
    GroupTreeModel& tree = groupTree()->model();
    const NodeHandle node = groupToRemove();
    if (node == kNoNode) return;
    // The contacts of the group and of every group below it go with it.
    setUpdatesEnabled(false);
    handBack();
    RemoveContactsOfGroups(store_, SubtreeIds(tree, node, &GroupTreeModel::GetContactGroupId));
    tree.DeleteItem(node);
    if (!shownGroup_) showGroup();
    setUpdatesEnabled(true);
    saveNow();
}

// ---------------------------------------------------------------- menus

void CContactsView::showListMenu(const QPoint& pos) {
    CPopupMenu menu(this);
    const QIcon icon = NumberedIcon(287);
    menu.addCommand(kNewContact, QStringLiteral("New contact"), icon);
    menu.addCommand(kEditContact, QStringLiteral("Edit contact"), icon);
    menu.addCommand(kRemoveContact, QStringLiteral("Remove contact"), icon);
    menu.addSeparator();
    menu.addCommand(kContactUp, QStringLiteral("Move up"), icon);
    menu.addCommand(kContactDown, QStringLiteral("Move down"), icon);
    menu.addSeparator();
    menu.addCommand(kCustomizeHeaders, QStringLiteral("Customize headers"), icon);
    if (const int command = menu.execAt(contactList()->mapToGlobal(pos))) runListCommand(command);
}

}  // namespace veltrin
