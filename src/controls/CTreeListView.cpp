#include "controls/CTreeListView.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <algorithm>

#include "controls/CGroupDialog.h"
#include "controls/CGroupTree.h"
#include "controls/CPopupMenu.h"
#include "controls/CSkinButton.h"
#include "controls/CSplitter.h"
#include "controls/CToolStrip.h"
#include "controls/QtGroupTreeActions.h"
#include "controls/QtThemeIcons.h"
#include "imaging/QtPicture.h"
#include "platform/Platform.h"
#include "storage/StoredText.h"
#include "tree/GroupTreeCommands.h"

namespace veltrin {

CTreeListView::CTreeListView(const QString& caption, const std::vector<Command>& buttons, QWidget* parent)
    : CViewBase(caption, parent) {
    toolStrip_ = new CToolStrip(this);
    toolStrip_->setObjectName(QStringLiteral("toolStrip"));
    AddGroupTreeCommands(*toolStrip_);
    connect(toolStrip_, &CToolStrip::commandTriggered, this, [this](int c) { runGroupCommand(c); });

    tree_ = new CGroupTree(this);
    tree_->setObjectName(QStringLiteral("groups"));
    tree_->model().SetControlId(1000);
    tree_->InsertColumn(0, QStringLiteral("Groups"), ColumnAlign::Left, 200);
    groupIcons_ = GroupIconPixmaps();
    tree_->SetImageList(groupIcons_);
    groupStyle_ = tree_->model().AddCellStyle(kStyleEditable);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree_, &QWidget::customContextMenuRequested, this, &CTreeListView::showGroupMenu);

    commentLabel_ = new QLabel(QStringLiteral("Comment"), this);
    commentLabel_->setObjectName(QStringLiteral("commentLabel"));
    followPanelColour(commentLabel_);
    comment_ = new QPlainTextEdit(this);
    comment_->setObjectName(QStringLiteral("comment"));

    for (const Command& c : buttons) {
        auto* b = new CSkinButton(QString::fromLatin1(c.caption), this);
        b->setObjectName(QString::fromLatin1(c.caption));
        b->setFocusPolicy(Qt::NoFocus);
        const int id = c.id;
        connect(b, &QAbstractButton::clicked, this, [this, id] { runListCommand(id); });
        buttons_.push_back(b);
        commands_.push_back(id);
    }

    splitter_ = new CSplitter(this);
    splitter_->setDragRange(200, 300);
    connect(splitter_, &CSplitter::moved, this, [this](int) { layOut(); });
}

CSkinButton* CTreeListView::commandButton(int command) const {
    for (std::size_t i = 0; i < commands_.size(); ++i)
        if (commands_[i] == command) return buttons_[i];
    return nullptr;
}

void CTreeListView::finishCellEdits() {
    tree_->FinishEdit();
    if (list_) list_->FinishEdit();
}

void CTreeListView::runListCommand(int command) {
    finishCellEdits();
    listCommand(command);
}

void CTreeListView::runGroupCommand(int command) {
    finishCellEdits();
    switch (command) {
    case kTreeCollapseAll:
    case kTreeExpandAll:
    case kTreeMoveUp:
    case kTreeMoveDown: tree_->RunCommand(command); break;
    case kTreeInsertAfter:
    case kTreeInsertChild: newGroup(command); break;
    case kTreeEditItem: editGroup(); break;
    case kTreeDeleteItem: removeGroup(); break;
    case kTreeImport:
    case kTreeExport: emit interopRequested(command); break;
    default: break;
    }
}

void CTreeListView::newGroup(int command) {
    CGroupDialog dialog(newGroupName(), 0, 0, groupIcons_, this);
    if (dialog.exec() != QDialog::Accepted) return;
    GroupTreeModel& tree = tree_->model();
    InsertForCommand(tree, command, dialog.name(), dialog.iconIndex(), groupStyle_, [&](NodeHandle node) {
        giveNewGroupId(node);
        tree.SetBold(node, dialog.bold());
    });
    groupsChanged();
}

void CTreeListView::editGroup() {
    GroupTreeModel& tree = tree_->model();
    const NodeHandle node = tree.GetSelectedItem();
    if (node == kNoNode) return;
    CGroupDialog dialog(tree.GetItemText(node, 0), tree.GetBold(node), tree.GetItemImage(node, 0),
                        groupIcons_, this);
    if (dialog.exec() != QDialog::Accepted) return;
    tree.SetItemText(node, 0, dialog.name());
    tree.SetBold(node, dialog.bold());
    tree.SetItemImage(node, 0, dialog.iconIndex());
    tree.SelectItem(node, tree.GetSelectedColumn(), true);
    groupsChanged();
}

bool CTreeListView::confirm(const std::string& text, const char* caption) {
    return messages().show(text, caption, Messages::Icon::Exclamation, Messages::Buttons::YesNo) ==
           Messages::Answer::Yes;
}

NodeHandle CTreeListView::groupToRemove() {
    const GroupTreeModel& tree = tree_->model();
    const NodeHandle node = tree.GetSelectedItem();
    if (node == kNoNode) {
        messages().fileError("No group selected!");
        return kNoNode;
    }
    const std::string name = StoredTextToUtf8(tree.GetItemText(node, 0));
    return confirm("Are you sure to remove '" + name + "' group ?", "Group removing...") ? node : kNoNode;
}

void CTreeListView::setRecordList(CGroupTree* list) {
    list_ = list;
    list_->setParent(this);
    layOut();
}

void CTreeListView::showGroupMenu(const QPoint& pos) {
    CPopupMenu menu(this);
    AddGroupTreeCommands(menu);
    AddInteropCommands(menu);
    runGroupCommand(menu.execAt(tree_->mapToGlobal(pos)));
}

void CTreeListView::setListColours(const ListColours& colours) {
    for (CGroupTree* t : {tree_, list_}) {
        if (t) ApplyListColours(*t, colours.text, colours.back, colours.selectedText, colours.selectedBack);
    }
    QPalette p = comment_->palette();
    p.setColor(QPalette::Text, colours.text);
    p.setColor(QPalette::Base, colours.back);
    comment_->setPalette(p);
}

void CTreeListView::setToolbarColour(const QColor& colour) { toolStrip_->setStripColour(colour); }

void CTreeListView::setButtonTextColour(const QColor& colour) {
    for (CSkinButton* b : buttons_) b->setTextColour(colour);
}

void CTreeListView::setCommandFaces(const FacePixmaps& faces) {
    AssignRowFaces(buttons_, faces);
    layOut();
}

void CTreeListView::resizeEvent(QResizeEvent* event) {
    CViewBase::resizeEvent(event);
    layOut();
}

void CTreeListView::layOut() {
    const QRect area = contentRect();
    const int x0 = area.left(), y0 = area.top(), w = area.width(), h = area.height();
    if (splitter_->offset() == 0 && splitter_->x() == 0)
        splitter_->placeAt(QRect(x0 + splitStart_, y0 + 10, CSplitter::kWidth, std::max(0, h - 20)));
    const int split = splitter_->x();
    splitter_->setSpan(y0 + 10, std::max(0, h - 20));
    const int treeBottom = y0 + 32 + (h - 32) / 2;
    tree_->setGeometry(QRect(QPoint(x0 + 10, y0 + 32), QPoint(split - 1, treeBottom)));
    // The frame's inside, not the viewport: a hidden view's viewport keeps its old size until shown.
    tree_->model().SetColumnWidth(0, tree_->contentsRect().width());
    toolStrip_->setGeometry(x0 + 10, y0 + 10, std::max(0, split - x0 - 10), CToolStrip::kHeight);
    commentLabel_->setGeometry(x0 + 10, treeBottom + 1, std::max(0, split - x0 - 10), 30);
    comment_->setGeometry(QRect(QPoint(x0 + 10, treeBottom + 31), QPoint(split - 1, y0 + h - 11)));
    const int listLeft = split + CSplitter::kWidth;
    // 100 pixels each, wider where the caption would be cut.
    int x = listLeft;
    for (CSkinButton* b : buttons_) {
        const int width = std::max(100, b->fontMetrics().horizontalAdvance(b->text()) + 12);
        b->setGeometry(x, y0 + 10, width, 30);
        x += width;
    }
    if (!list_) return;
    list_->setGeometry(QRect(QPoint(listLeft, y0 + 40), QPoint(x0 + w - 11, y0 + h - 11)));
    listPlaced();
}

}  // namespace veltrin
