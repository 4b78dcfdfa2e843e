#include "tree/GroupTreeCommands.h"

namespace veltrin {

const std::vector<GroupTreeCommandEntry>& GroupTreeCommandEntries() {
    static const std::vector<GroupTreeCommandEntry> entries = {
        {kTreeCollapseAll, "Collapse all", "list-remove"},
        {kTreeExpandAll, "Expand all", "list-add"},
        {0, "", ""},
        {kTreeInsertAfter, "Insert after", "document-new"},
        {kTreeInsertChild, "Insert as a child", "folder-new"},
        {kTreeEditItem, "Edit item/folder", "document-properties"},
        {kTreeDeleteItem, "Delete item/folder", "edit-delete"},
        {0, "", ""},
        {kTreeMoveUp, "Move up", "go-up"},
        {kTreeMoveDown, "Move down", "go-down"},
    };
    return entries;
}

NodeHandle InsertForCommand(GroupTreeModel& tree, int command, const std::string& text, int image, int style,
                            const std::function<void(NodeHandle)>& fill) {
    const NodeHandle selected = tree.GetSelectedItem();
    NodeHandle node = kNoNode;
    if (selected == kNoNode) {
        node = tree.InsertItem(kRootNode, kInsertLast, text, image, style);
    } else if (command == kTreeInsertChild) {
        node = tree.InsertItem(selected, kInsertLast, text, image, style);
        tree.SetCollapsed(selected, 0);
    } else {
        node = tree.InsertItem(tree.GetNextItem(selected, kParent), selected, text, image, style);
    }
    if (node == kNoNode) return kNoNode;
    if (fill) fill(node);
    const int column = tree.TextColumn();
    tree.SelectItem(node, column, true);
    return node;
}

bool MoveSelected(GroupTreeModel& tree, int command) {
    const NodeHandle selected = tree.GetSelectedItem();
    if (selected == kNoNode) return false;
    const NodeHandle other = tree.GetNextItem(selected, command == kTreeMoveUp ? kPrevSibling : kNextSibling);
    if (other == kNoNode) return false;
    tree.SwapItems(selected, other);
    return true;
}

std::int32_t DrawUnusedId(const GroupTreeModel& tree, std::int32_t (GroupTreeModel::*idOf)(NodeHandle) const,
                          const std::function<std::int32_t()>& draw) {
    for (;;) {
        const std::int32_t id = draw();
        bool used = false;
        for (NodeHandle n = tree.GetNextItem(kRootNode, kFirstChild); n != kNoNode && !used;
             n = tree.NextInPreorder(n))
            used = (tree.*idOf)(n) == id;
        if (!used) return id;
    }
}

std::vector<std::int32_t> SubtreeIds(const GroupTreeModel& tree, NodeHandle node,
                                     std::int32_t (GroupTreeModel::*idOf)(NodeHandle) const) {
    std::vector<std::int32_t> ids;
    if (!tree.IsValid(node) || node == kRootNode) return ids;
    const int depth = tree.GetDepth(node);
    for (NodeHandle n = node; n != kNoNode; n = tree.NextInPreorder(n)) {
        if (n != node && tree.GetDepth(n) <= depth) break;
        ids.push_back((tree.*idOf)(n));
    }
    return ids;
}

}  // namespace veltrin
