// The input and editing rules of GroupTreeModel: clicks, the check box and
// cell buttons, keys, in-place editing, drop-downs and moves between cells.
#include "tree/GroupTreeModel.h"

#include <algorithm>

namespace veltrin {

void GroupTreeModel::ToggleCheckByClick(NodeHandle node, int column) {
    Node* n = find(node);
    const Cell* c = cellAt(n, column);
    if (!n || n == &root_) return;
    const int next = (c && c->check == 1) ? 0 : 1;
    const unsigned answer = notify(kNotifyCheckClicked, n, column, c, nullptr, next);
    if (!(answer & kAnswerRefuse) && n->alive) SetCheck(node, column, next);
}

ClickResult GroupTreeModel::ActOnCell(NodeHandle node, int column) {
    Node* n = find(node);
    if (!n || n == &root_) return ClickResult::Nothing;
    const unsigned flags = StyleFlags(node, column);
    if ((flags & kStyleDropDown) && (flags & kStyleButton))
        return BeginDropDown(node, column) ? ClickResult::OpenDropDown : ClickResult::Nothing;
    const Cell* c = cellAt(n, column);
    if (flags & kStyleButton) {
        notify(kNotifyCellButton, n, column, c);
    } else if (flags & kStyleCheck) {
        const int next = (c && c->check == 1) ? 0 : 1;
        const unsigned answer = notify(kNotifyCellButton, n, column, c, nullptr, next);
        if (!(answer & kAnswerRefuse) && n->alive) SetCheck(node, column, next);
    }
    return ClickResult::Nothing;
}

ClickResult GroupTreeModel::PressSpace() {
    if (!sel_ || Editing()) return ClickResult::Nothing;
    int column = selColumn_;
    if (fullRow_) {
        const int count = std::max(ColumnCount(), 1);
        for (column = 0; column < count; ++column)
            if (StyleFlags(sel_->handle, column) & (kStyleButton | kStyleCheck)) break;
        if (column == count) return ClickResult::Nothing;
    }
    return ActOnCell(sel_->handle, column);
}

ClickResult GroupTreeModel::Click(NodeHandle node, int column, CellPart part, bool doubleClick) {
    Node* n = find(node);
    if (!n || n == &root_) return ClickResult::Nothing;
    if (part == CellPart::Button) {
        SetCollapsed(node, n->collapsed ? 0 : 1);
        return ClickResult::Nothing;
    }
    SelectItem(node, column, true);
    if (!n->alive || sel_ != n) return ClickResult::Nothing;
    switch (part) {
    case CellPart::Check: ToggleCheckByClick(node, column); break;
    case CellPart::CellButton: return ActOnCell(node, column);
    case CellPart::Text:
        if (doubleClick && BeginEdit(node, column)) return ClickResult::OpenEditor;
        break;
    default: break;
    }
    return ClickResult::Nothing;
}

int GroupTreeModel::rowOfSelectionForKeys() const {
    return sel_ ? GetRow(GetNextItem(sel_->handle, kShownAncestor)) : -1;
}

bool GroupTreeModel::HandleKey(TreeKey key, int rowsPerPage) {
    if (Editing()) return false;
    const int lastColumn = std::max(ColumnCount(), 1) - 1;
    const NodeHandle first = GetNextItem(kRootNode, kFirstShown);
    const NodeHandle last = GetNextItem(kRootNode, kLastShown);
    if (!sel_) {
        switch (key) {
        case TreeKey::Tab:
        case TreeKey::Down:
        case TreeKey::PageDown:
            if (first) SelectItem(first, 0, true);
            return true;
        case TreeKey::BackTab:
            if (last) SelectItem(last, lastColumn, true);
            return true;
        case TreeKey::Up:
        case TreeKey::PageUp:
            if (last) SelectItem(last, 0, true);
            return true;
        default: return false;
        }
    }
    const Node* shown = find(GetNextItem(sel_->handle, kShownAncestor));
    const int column = selColumn_;
    switch (key) {
    case TreeKey::Up:
    case TreeKey::Down: {
        const Node* to = key == TreeKey::Up ? prevRow(shown) : nextRow(shown);
        if (to) SelectItem(to->handle, column, true);
        return true;
    }
    case TreeKey::PageUp:
    case TreeKey::PageDown: {
        const int count = RowCount();
        if (count == 0) return true;
        const int step = std::max(1, rowsPerPage - 1);
        const int row = rowOfSelectionForKeys();
        const int to = std::clamp(key == TreeKey::PageUp ? row - step : row + step, 0, count - 1);
        SelectItem(NodeAtRow(to), column, true);
        return true;
    }
    case TreeKey::Tab:
    case TreeKey::BackTab: {
        const bool forward = key == TreeKey::Tab;
        if (!fullRow_ && (forward ? column < lastColumn : column > 0)) {
            SelectItem(sel_->handle, forward ? column + 1 : column - 1, true);
        } else {
            const Node* to = forward ? nextRow(shown) : prevRow(shown);
            if (to) SelectItem(to->handle, forward ? 0 : lastColumn, true);
        }
        return true;
    }
    case TreeKey::Home:
    case TreeKey::End:
        if (!fullRow_) SelectItem(sel_->handle, key == TreeKey::Home ? 0 : lastColumn, true);
        return true;
    case TreeKey::Left:
    case TreeKey::Right:
        if (!fullRow_)
            SelectItem(sel_->handle, std::clamp(column + (key == TreeKey::Left ? -1 : 1), 0, lastColumn),
                       true);
        return true;
    case TreeKey::Expand: SetCollapsed(sel_->handle, 0); return true;
    case TreeKey::Collapse: SetCollapsed(sel_->handle, 1); return true;
    }
    return false;
}

bool GroupTreeModel::CanEdit(NodeHandle node, int column) const {
    const Node* n = find(node);
    if (!n || n == &root_ || n != sel_ || column < 0) return false;
    if (!fullRow_ && column != selColumn_) return false;
    return (StyleFlags(node, column) & kStyleEditable) != 0;
}

int GroupTreeModel::EditTargetColumn() const {
    if (!sel_) return -1;
    if (!fullRow_) return selColumn_;
    const int count = std::max(ColumnCount(), 1);
    for (int c = 0; c < count; ++c)
        if (StyleFlags(sel_->handle, c) & kStyleEditable) return c;
    return -1;
}

bool GroupTreeModel::BeginEdit(NodeHandle node, int column) {
    if (Editing() || !CanEdit(node, column)) return false;
    Node* n = find(node);
    const unsigned answer = notify(kNotifyBeginEdit, n, column, cellAt(n, column));
    if ((answer & kAnswerRefuse) || !n->alive || sel_ != n) return false;
    editNode_ = n;
    editColumn_ = column;
    dropDown_ = false;
    return true;
}

bool GroupTreeModel::BeginDropDown(NodeHandle node, int column) {
    Node* n = find(node);
    if (Editing() || !n || n == &root_ || n != sel_ || column < 0) return false;
    if (!fullRow_ && column != selColumn_) return false;
    const unsigned flags = StyleFlags(node, column);
    if (!(flags & kStyleDropDown) || !(flags & kStyleButton)) return false;
    const unsigned answer = notify(kNotifyDropDown, n, column, cellAt(n, column));
    if ((answer & kAnswerRefuse) || !n->alive) return false;
    editNode_ = n;
    editColumn_ = column;
    dropDown_ = true;
    return true;
}

NodeHandle GroupTreeModel::EditNode() const { return editNode_ ? editNode_->handle : kNoNode; }

unsigned GroupTreeModel::reportEdit(const std::string& text, bool stillEditing) {
    Node* n = editNode_;
    const int column = editColumn_;
    reportingEdit_ = true;
    const unsigned answer = notify(kNotifyEndEdit, n, column, cellAt(n, column), &text, -1, stillEditing);
    reportingEdit_ = false;
    if (editNode_ != n || !n->alive) return kAnswerGone;
    if (!(answer & kAnswerRefuse)) SetItemText(n->handle, column, text);
    return answer;
}

bool GroupTreeModel::EndEdit(const std::string& text) {
    if (!editNode_ || dropDown_) return true;
    const unsigned answer = reportEdit(text, false);
    if (answer == kAnswerGone) return true;  // the owner removed it meanwhile
    if (answer & kAnswerKeepOpen) return false;
    editNode_ = nullptr;
    editColumn_ = -1;
    return true;
}

void GroupTreeModel::TakeEditText(const std::string& text) {
    // A save run by the owner while it handles the end of this very edit
    // finds the text taken already.
    if (!editNode_ || dropDown_ || reportingEdit_) return;
    if (GetItemText(editNode_->handle, editColumn_) == text) return;
    reportEdit(text, true);
}

void GroupTreeModel::EndDropDown(const std::string& text, std::int32_t value) {
    if (!editNode_ || !dropDown_) return;
    Node* n = editNode_;
    const int column = editColumn_;
    editNode_ = nullptr;
    editColumn_ = -1;
    dropDown_ = false;
    Cell before = *cellFor(n->handle, column);
    before.text = text;
    before.value = value;
    const unsigned answer = notify(kNotifyEndEdit, n, column, &before);
    if (!(answer & kAnswerRefuse) && n->alive) {
        Cell* c = cellFor(n->handle, column);
        c->text = text;
        c->value = value;
        nodeChanged(n);
    }
}

void GroupTreeModel::CancelEdit() {
    if (!editNode_) return;
    editNode_ = nullptr;
    editColumn_ = -1;
    dropDown_ = false;
    if (observer_) observer_->EditEnded();
}

bool GroupTreeModel::MoveToNextCell(bool backwards) {
    if (Editing() || !sel_) return false;
    HandleKey(backwards ? TreeKey::BackTab : TreeKey::Tab, 1);
    const int column = EditTargetColumn();
    return column >= 0 && BeginEdit(sel_->handle, column);
}

}  // namespace veltrin
