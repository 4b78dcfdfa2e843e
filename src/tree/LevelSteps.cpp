#include "tree/LevelSteps.h"

#include <algorithm>

namespace veltrin {

int DepthAfterLevelStep(int previousDepth, std::int32_t step) {
    const std::int64_t depth = static_cast<std::int64_t>(previousDepth) + step;
    return static_cast<int>(std::clamp<std::int64_t>(depth, 1, static_cast<std::int64_t>(previousDepth) + 1));
}

void WalkLevelSteps(const GroupTreeModel& tree, const std::function<void(NodeHandle, std::int32_t)>& visit) {
    int step = 0;
    for (NodeHandle node = tree.GetNextItem(kRootNode, kFirstChild); node != kNoNode;
         node = tree.NextInPreorder(node, &step))
        visit(node, step);
}

NodeHandle LevelStepReader::Insert(std::int32_t step, const std::string& text, int image, int style) {
    const int depth = DepthAfterLevelStep(static_cast<int>(path_.size()), step);
    path_.resize(static_cast<std::size_t>(depth) - 1);
    const NodeHandle parent = path_.empty() ? kRootNode : path_.back();
    const NodeHandle node = tree_.InsertItem(parent, kInsertLast, text, image, style);
    path_.push_back(node);
    return node;
}

}  // namespace veltrin
