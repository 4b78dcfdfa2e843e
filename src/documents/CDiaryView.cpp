#include "documents/CDiaryView.h"

#include <QContextMenuEvent>
#include <QLabel>

#include "controls/CGroupTree.h"
#include "controls/CPopupMenu.h"
#include "controls/CToolStrip.h"
#include "controls/QtGroupTreeActions.h"
#include "controls/QtThemeIcons.h"
#include "documents/CDocumentEditor.h"
#include "documents/CNewDiaryPageDialog.h"
#include "documents/Templates.h"
#include "platform/Platform.h"
#include "settings/AppSettings.h"
#include "storage/QtStoredText.h"
#include "storage/StoredText.h"

namespace veltrin {

CDiaryView::CDiaryView(DiaryTable& table, const AppSettings& settings, QWidget* parent)
    : CDocumentView(QStringLiteral("Diary"), parent), table_(table), settings_(settings) {
    setObjectName(QStringLiteral("CDiaryView"));
    ownBar_->addButton(kDocNewDiaryPage, ThemeIcon(QStringLiteral("document-new")),
                       QStringLiteral("Insert new Diary page"));
    ownBar_->addButton(kDocDeleteDiaryPage, ThemeIcon(QStringLiteral("edit-delete")),
                       QStringLiteral("Delete Diary page"));

    GroupTreeModel& list = treeControl()->model();
    list.SetFullRowSelect(false);
    treeControl()->InsertColumn(0, QStringLiteral("Diary pages"), ColumnAlign::Left, 100);
    list.SetTreeColumn(-1);
    treeControl()->SetImageList({ThemeIcon(QStringLiteral("x-office-document")).pixmap(16, 16)});

    startWithTemplate(settings_.defaultDiaryTemplate, TemplateUse::Diary);
    focusEditor();
}

void CDiaryView::listRecords() {
    GroupTreeModel& list = treeControl()->model();
    BuildDiaryList(list, table_);
    for (NodeHandle n = list.GetNextItem(kRootNode, kFirstChild); n; n = list.GetNextItem(n, kNextSibling))
        list.SetItemImage(n, 0, 0);
}

DiaryViews CDiaryView::saveState() {
    // Pages never listed are the table's as loaded.
    if (!recordsListed()) return {};
    commitEditor();
    return DiaryViews{&tree()->model(), currentNode()};
}

void CDiaryView::store() { SaveDiary(table_, saveState()); }

void CDiaryView::showStoredPages() {
    if (!recordsListed()) {
        store();  // listed from the table when first asked for
        return;
    }
    GroupTreeModel& list = tree()->model();
    setCurrent(kNoNode);
    // Rebuilt quietly: the old pages' selection must not reach the editor.
    tree()->SetListener(nullptr);
    const NodeHandle current = BuildDiaryList(list, table_);
    for (NodeHandle n = list.GetNextItem(kRootNode, kFirstChild); n; n = list.GetNextItem(n, kNextSibling))
        list.SetItemImage(n, 0, 0);
    tree()->SetListener(this);
    select(current);
    if (current != kNoNode) list.SelectItem(current, 0);
    store();
}

TextPayload CDiaryView::payload(NodeHandle node) const { return tree()->model().GetPagePayload(node); }

void CDiaryView::setPayload(NodeHandle node, const TextPayload& p) {
    tree()->model().SetPagePayload(node, p);
}

std::string CDiaryView::exportName(NodeHandle node) const { return DiaryExportName(payload(node).value); }

unsigned CDiaryView::OnTreeNotify(const TreeNotification& n) {
    if (n.code == kNotifySelectionChanged) select(n.node);
    return 0;
}

void CDiaryView::select(NodeHandle node) {
    GroupTreeModel& list = tree()->model();
    if (node == currentNode() && node != kNoNode) return;
    commitEditor();
    if (currentNode() != kNoNode && list.IsValid(currentNode())) list.SetBold(currentNode(), 0);
    setCurrent(kNoNode);  // while the next page loads, no page takes the editor's text
    if (node != kNoNode) {
        showRecord(node);
        focusEditor();
        list.SetBold(node, 1);
        captionLabel()->setText(FromStored(DiaryCaption(list.GetPagePayload(node).value)));
    } else {
        captionLabel()->clear();
    }
    setCurrent(node);
    tree()->viewport()->update();
}

void CDiaryView::runCommand(int command) {
    switch (command) {
    case kDocNewDiaryPage: {
        CNewDiaryPageDialog dialog(this);
        if (dialog.exec() == QDialog::Accepted) newPage(dialog.pickedDay());
        break;
    }
    case kDocDeleteDiaryPage:
        editor()->SetDesignMode(false);
        deletePage();
        break;
    default: CDocumentView::runCommand(command);
    }
}

void CDiaryView::newPage(std::int32_t day) {
    GroupTreeModel& list = tree()->model();
    const DiaryPlace place = FindDiaryPlace(list, day);
    if (place.existing != kNoNode) {
        list.SelectItem(place.existing, 0);
    } else {
        commitEditor();
        if (currentNode() != kNoNode) list.SetBold(currentNode(), 0);
        setCurrent(kNoNode);
        std::string html;
        templateBody(settings_.defaultDiaryTemplate, TemplateUse::Diary, html);
        const NodeHandle node = list.InsertItem(kRootNode, place.after, DiaryTitle(day), 0);
        list.SetPagePayload(node, TextPayload{html, day});
        list.SelectItem(node, 0);
        focusEditor();
        editor()->SetDesignMode(true);
    }
    store();
}

void CDiaryView::deletePage() {
    GroupTreeModel& list = tree()->model();
    const NodeHandle page = currentNode();
    if (page != kNoNode && messages().show("Are you sure to remove '" +
                                               StoredTextToUtf8(list.GetItemText(page, 0)) + "' diary ?",
                                           "diary removing...", Messages::Icon::Exclamation,
                                           Messages::Buttons::YesNo) == Messages::Answer::Yes) {
        setCurrent(kNoNode);
        clearEditor();
        TextPayload p = list.GetPagePayload(page);
        p.html.clear();
        list.SetPagePayload(page, p);
        list.DeleteItem(page);
        if (currentNode() == kNoNode) {
            select(list.GetSelectedItem());
            if (currentNode() == kNoNode) captionLabel()->clear();
        }
    }
    store();
}

void CDiaryView::contextMenuEvent(QContextMenuEvent* event) {
    if (!tree()->hasFocus()) return;
    CPopupMenu menu(this);
    menu.addCommand(kDocNewDiaryPage, QStringLiteral("Insert new Diary page"),
                    ThemeIcon(QStringLiteral("document-new")));
    menu.addCommand(kDocDeleteDiaryPage, QStringLiteral("Delete Diary page"),
                    ThemeIcon(QStringLiteral("edit-delete")));
    AddInteropCommands(menu);
    if (const int command = menu.execAt(event->globalPos())) runCommand(command);
}

}  // namespace veltrin
