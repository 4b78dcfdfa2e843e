#pragma once

#include <type_traits>
#include <vector>

#include "tree/LevelSteps.h"

namespace veltrin {

template <class Record, class = void>
struct HasCollapsed : std::false_type {};
template <class Record>
struct HasCollapsed<Record, std::void_t<decltype(Record::collapsed)>> : std::true_type {};

// Tree records (event groups, contact groups, notes) share their first
// fields: levelStep, name, iconIndex, bold, isCurrent. These two templates
// move those between a record array and a tree; `extra` does the rest.

// One node per record, placed by its level step. Collapse states are set once
// every node has its children (a node without any cannot be expanded).
// Returns the nodes in record order; *current gets the first record marked current.
template <class Record, class Extra>
std::vector<NodeHandle> BuildTreeFromRecords(GroupTreeModel& tree, const std::vector<Record>& records,
                                             NodeHandle* current, Extra extra) {
    tree.SetRedraw(false);
    LevelStepReader reader(tree);
    std::vector<NodeHandle> nodes;
    nodes.reserve(records.size());
    if (current) *current = kNoNode;
    for (const Record& r : records) {
        const NodeHandle node = reader.Insert(r.levelStep, r.name, r.iconIndex);
        tree.SetBold(node, r.bold);
        extra(node, r);
        nodes.push_back(node);
        if (current && r.isCurrent && *current == kNoNode) *current = node;
    }
    if constexpr (HasCollapsed<Record>::value)
        for (std::size_t i = 0; i < nodes.size(); ++i) tree.SetCollapsed(nodes[i], records[i].collapsed);
    tree.SetRedraw(true);
    return nodes;
}

// Every node in pre-order with its level step; isCurrent marks `current`.
template <class Record, class Extra>
void RecordsFromTree(const GroupTreeModel& tree, NodeHandle current, std::vector<Record>& records,
                     Extra extra) {
    records.clear();
    WalkLevelSteps(tree, [&](NodeHandle node, std::int32_t step) {
        Record r;
        r.levelStep = step;
        r.name = tree.GetItemText(node, 0);
        r.iconIndex = tree.GetItemImage(node, 0);
        r.bold = tree.GetBold(node);
        r.isCurrent = node == current ? 1 : 0;
        if constexpr (HasCollapsed<Record>::value) r.collapsed = tree.IsCollapsed(node);
        extra(node, r);
        records.push_back(std::move(r));
    });
}

// A flat list's rows, for handing them back to a store: visits every
// top-level node in order, then deletes them all when remove is set.
template <class Visit>
void HandBackRows(GroupTreeModel& list, bool remove, Visit visit) {
    std::vector<NodeHandle> rows;
    for (NodeHandle r = list.GetNextItem(kRootNode, kFirstChild); r != kNoNode;
         r = list.GetNextItem(r, kNextSibling))
        rows.push_back(r);
    const NodeHandle selected = list.GetSelectedItem();
    for (NodeHandle r : rows) visit(r, r == selected);
    // The rows are all the root's children: deleting them at once saves
    // renumbering the rows after each one.
    if (remove) list.DeleteItem(kRootNode);
}

}  // namespace veltrin
