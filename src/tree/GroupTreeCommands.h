#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tree/GroupTreeModel.h"

namespace veltrin {

// The commands of the group-tree menu and tool strips, shared by every view
// that shows groups. Edit and Delete open the view's own dialogs and messages;
// Collapse all and Expand all are GroupTreeModel::SetAllCollapsed; the rest are
// the control's own rules below.
enum GroupTreeCommand {
    kTreeCollapseAll = 300,
    kTreeExpandAll = 301,
    kTreeInsertAfter = 302,
    kTreeInsertChild = 303,
    kTreeDeleteItem = 304,
    kTreeEditItem = 305,
    kTreeMoveUp = 306,
    kTreeMoveDown = 307,
    // "Import..." and "Export..." of the views' menus (not of the tool strips).
    kTreeImport = 340,
    kTreeExport = 341,
};

struct GroupTreeCommandEntry {
    int id;            // 0 for a separator
    const char* text;  // the menu text, also the tooltip of a tool button
    const char* icon;  // a freedesktop icon name
};

// In menu order, with the two separators.
const std::vector<GroupTreeCommandEntry>& GroupTreeCommandEntries();

// Insert after / Insert as a child: places a new node next to or under the
// selected one (the last top-level node with no selection), expands the parent
// of a new child, lets fill() give it its record, then selects it.
NodeHandle InsertForCommand(GroupTreeModel& tree, int command, const std::string& text, int image = -1,
                            int style = -1, const std::function<void(NodeHandle)>& fill = {});

// Move up / Move down: swaps the selected node with its previous or next
// sibling. False when there is nothing to swap with.
bool MoveSelected(GroupTreeModel& tree, int command);

// A new node's id: drawn again while any node of the tree already carries it
// in the slot idOf reads.
std::int32_t DrawUnusedId(const GroupTreeModel& tree, std::int32_t (GroupTreeModel::*idOf)(NodeHandle) const,
                          const std::function<std::int32_t()>& draw);

// The ids, read through idOf, of a node and of every node below it, in pre-order.
std::vector<std::int32_t> SubtreeIds(const GroupTreeModel& tree, NodeHandle node,
                                     std::int32_t (GroupTreeModel::*idOf)(NodeHandle) const);

}  // namespace veltrin
