#include "documents/CNotesView.h"

#include <QContextMenuEvent>
#include <QLabel>

#include "controls/CGroupTree.h"
#include "controls/CPopupMenu.h"
#include "controls/CToolStrip.h"
#include "controls/QtGroupTreeActions.h"
#include "documents/CDocumentEditor.h"
#include "documents/CNoteDialog.h"
#include "documents/QtNoteIcons.h"
#include "documents/Templates.h"
#include "platform/Platform.h"
#include "settings/AppSettings.h"
#include "storage/QtStoredText.h"
#include "storage/StoredText.h"
#include "tree/GroupTreeCommands.h"

namespace veltrin {

CNotesView::CNotesView(NoteTable& table, const AppSettings& settings, QWidget* parent)
    : CDocumentView(QStringLiteral("Notes"), parent), table_(table), settings_(settings) {
    setObjectName(QStringLiteral("CNotesView"));
    AddGroupTreeCommands(*ownBar_);

    GroupTreeModel& tree = treeControl()->model();
    tree.SetFullRowSelect(false);
    treeControl()->InsertColumn(0, QStringLiteral("Notes"), ColumnAlign::Left, 100);
    tree.SetTreeColumn(0);
    treeControl()->SetImageList(NoteIcons());
    editableStyle_ = tree.AddCellStyle(kStyleEditable);

    startWithTemplate(settings_.defaultNoteTemplate, TemplateUse::Note);
    focusEditor();
}

void CNotesView::listRecords() {
    GroupTreeModel& tree = treeControl()->model();
    BuildNotesTree(tree, table_);
    for (NodeHandle n = tree.GetNextItem(kRootNode, kFirstChild); n; n = tree.NextInPreorder(n))
        tree.SetCellStyle(n, 0, editableStyle_);
}

NoteViews CNotesView::saveState() {
    // Notes never listed are the table's as loaded.
    if (!recordsListed()) return {};
    commitEditor();
    tree()->TakeEdit();  // a name being typed, with its editor left open
    return NoteViews{&tree()->model(), currentNode()};
}

void CNotesView::store() { SaveNotes(table_, saveState()); }

void CNotesView::showStoredNotes() {
    if (!recordsListed()) {
        store();  // listed from the table when first asked for
        return;
    }
    GroupTreeModel& tree = this->tree()->model();
    this->tree()->FinishEdit();
    setCurrent(kNoNode);
    // Rebuilt quietly: the old notes' selection must not reach the editor.
    this->tree()->SetListener(nullptr);
    const NodeHandle current = BuildNotesTree(tree, table_);
    for (NodeHandle n = tree.GetNextItem(kRootNode, kFirstChild); n; n = tree.NextInPreorder(n))
        tree.SetCellStyle(n, 0, editableStyle_);
    this->tree()->SetListener(this);
    select(current);
    if (current != kNoNode) tree.SelectItem(current, 0);
    store();
}

TextPayload CNotesView::payload(NodeHandle node) const { return tree()->model().GetNotePayload(node); }

void CNotesView::setPayload(NodeHandle node, const TextPayload& p) {
    tree()->model().SetNotePayload(node, p);
}

std::string CNotesView::exportName(NodeHandle node) const {
    return NoteExportName(tree()->model().GetItemText(node, 0));
}

unsigned CNotesView::OnTreeNotify(const TreeNotification& n) {
    switch (n.code) {
    case kNotifySelectionChanged: select(n.node); return 0;
    case kNotifyBeginEdit:
        captionLabel()->setText(QStringLiteral("EDITING: ") +
                                FromStored(tree()->model().GetItemText(n.node, 0)));
        return 0;
    case kNotifyEndEdit:
        // While a save takes the text the caption still says the name is being edited.
        if (!n.stillEditing) captionLabel()->setText(FromStored(n.text));
        return NoteRenameAnswer(n.text);
    default: return 0;
    }
}

void CNotesView::select(NodeHandle node) {
    if (node == currentNode() && node != kNoNode) return;
    commitEditor();
    setCurrent(kNoNode);
    if (node != kNoNode) {
        showRecord(node);
        captionLabel()->setText(FromStored(tree()->model().GetItemText(node, 0)));
    } else {
        captionLabel()->clear();
    }
    setCurrent(node);
}

void CNotesView::runCommand(int command) {
    tree()->FinishEdit();  // a command works on the name as typed, as after Enter
    switch (command) {
    case kTreeInsertAfter:
    case kTreeInsertChild: {
        CNoteDialog dialog("New note", false, 0, settings_.defaultNoteTemplate, true, this);
        if (dialog.exec() == QDialog::Accepted)
            newNote(command, dialog.name(), dialog.bold(), dialog.icon(), dialog.templateName());
        break;
    }
    case kTreeEditItem: {
        if (currentNode() == kNoNode) return;
        const GroupTreeModel& tree = this->tree()->model();
        CNoteDialog dialog(tree.GetItemText(currentNode(), 0), tree.GetBold(currentNode()) != 0,
                           tree.GetItemImage(currentNode(), 0), std::string(), false, this);
        if (dialog.exec() == QDialog::Accepted)
            editNote(dialog.storedName(), dialog.bold(), dialog.icon(), dialog.templateName());
        break;
    }
    case kTreeDeleteItem:
        editor()->SetDesignMode(false);
        removeNote();
        break;
    case kTreeCollapseAll:
    case kTreeExpandAll:
    case kTreeMoveUp:
    case kTreeMoveDown: tree()->RunCommand(command); break;
    default: CDocumentView::runCommand(command);
    }
}

void CNotesView::newNote(int command, const QString& name, bool bold, int icon,
                         const std::string& templateName) {
    commitEditor();
    setCurrent(kNoNode);  // from here the editor's text belongs to no existing note
    GroupTreeModel& tree = this->tree()->model();
    InsertForCommand(tree, command, ToStored(name), icon, editableStyle_, [&](NodeHandle node) {
        std::string html;
        templateBody(templateName, TemplateUse::Note, html);
        tree.SetNotePayload(node, TextPayload{html, static_cast<std::int32_t>(clock().now())});
        tree.SetBold(node, bold ? 1 : 0);
    });
    focusEditor();
    editor()->SetDesignMode(true);
    store();
}

void CNotesView::editNote(const std::string& name, bool bold, int icon, const std::string& templateName) {
    const NodeHandle note = currentNode();
    if (note == kNoNode) return;
    GroupTreeModel& tree = this->tree()->model();
    tree.SetItemImage(note, 0, icon);
    tree.SetItemText(note, 0, name);
    tree.SetBold(note, bold ? 1 : 0);
    captionLabel()->setText(FromStored(name));
    if (!templateName.empty() &&
        messages().show("The template of current note was changed. Are you sure to clear the note ?",
                        "Template changed", Messages::Icon::Exclamation,
                        Messages::Buttons::YesNo) == Messages::Answer::Yes) {
        // What was typed reaches the note first: a template that cannot be
        // read leaves the note as it was.
        commitEditor();
        setCurrent(kNoNode);
        editor()->ClearSelection();
        TextPayload p = tree.GetNotePayload(note);
        if (templateBody(templateName, TemplateUse::Note, p.html)) {
            tree.SetNotePayload(note, p);
            editor()->SetDesignMode(true);
        }
        showRecord(note);
        setCurrent(note);
    }
    focusEditor();
    store();
}

void CNotesView::removeNote() {
    const NodeHandle note = currentNode();
    if (note == kNoNode) {
        messages().fileError("No note selected!");
        return;
    }
    GroupTreeModel& tree = this->tree()->model();
    if (messages().show("Are you sure to remove '" + StoredTextToUtf8(tree.GetItemText(note, 0)) + "' note ?",
                        "Note removing...", Messages::Icon::Exclamation,
                        Messages::Buttons::YesNo) != Messages::Answer::Yes)
        return;
    setCurrent(kNoNode);
    clearEditor();
    TextPayload p = tree.GetNotePayload(note);
    p.html.clear();
    tree.SetNotePayload(note, p);
    tree.DeleteItem(note);
    if (currentNode() == kNoNode) select(tree.GetSelectedItem());
    if (currentNode() == kNoNode) captionLabel()->clear();
    store();
}

void CNotesView::contextMenuEvent(QContextMenuEvent* event) {
    if (!tree()->hasFocus()) return;
    CPopupMenu menu(this);
    AddGroupTreeCommands(menu);
    AddInteropCommands(menu);
    if (const int command = menu.execAt(event->globalPos())) runCommand(command);
}

}  // namespace veltrin
