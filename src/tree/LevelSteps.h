#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tree/GroupTreeModel.h"

namespace veltrin {

// A tree travels in a file as its nodes in pre-order, each with a level step:
// 1 = first child of the node before it, 0 = its next sibling, -k = the next
// sibling of its k-th ancestor. The first node has 0.

// The depth a record takes after a node of previousDepth (0 before the first
// record). Steps a well-formed file never holds are taken in the nearest sound
// way: more than 1 is a child, a climb past the top level stops there.
int DepthAfterLevelStep(int previousDepth, std::int32_t step);

// Writing: visits every node of the tree in pre-order with its step.
void WalkLevelSteps(const GroupTreeModel& tree,
                    const std::function<void(NodeHandle node, std::int32_t step)>& visit);

// Reading: inserts each record as the last child of the parent its step
// names. Start it on an empty tree (or after the last top-level node).
class LevelStepReader {
public:
    explicit LevelStepReader(GroupTreeModel& tree) : tree_(tree) {}
    NodeHandle Insert(std::int32_t step, const std::string& text, int image = -1, int style = -1);

private:
    GroupTreeModel& tree_;
    std::vector<NodeHandle> path_;  // path_[d - 1]: the last node read at depth d
};

}  // namespace veltrin
