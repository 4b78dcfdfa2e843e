#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "storage/Identifier.h"
#include "storage/StoredText.h"
#include "tree/LevelSteps.h"

namespace veltrin {

// Each group's path from the top ("Work/Projects") in UTF-8, in record order.
// Names are compared and written as UTF-8, whatever bytes they are stored in.
template <class Group>
std::vector<std::string> GroupPaths(const std::vector<Group>& groups) {
    std::vector<std::string> paths, stack;
    int depth = 0;
    for (const Group& g : groups) {
        depth = DepthAfterLevelStep(depth, g.levelStep);
        stack.resize(static_cast<std::size_t>(depth - 1));
        stack.push_back(StoredTextToUtf8(g.name));
        std::string path;
        for (const std::string& part : stack) path += (path.empty() ? "" : "/") + part;
        paths.push_back(path);
    }
    return paths;
}

// The ids of the first group named `name` (at any depth) and of its subgroups;
// every group's id when name is empty. Empty when no group has that name.
template <class Group>
std::set<std::int32_t> GroupWithSubgroups(const std::vector<Group>& groups, const std::string& name) {
    std::set<std::int32_t> ids;
    int depth = 0, inside = 0;  // inside: the depth of the chosen group, 0 before it
    bool done = false;
    for (const Group& g : groups) {
        depth = DepthAfterLevelStep(depth, g.levelStep);
        if (inside && depth <= inside) {
            inside = 0;
            done = true;
        }
        if (!inside && !done && (name.empty() || StoredTextToUtf8(g.name) == name))
            inside = name.empty() ? -1 : depth;
        if (inside) ids.insert(g.groupId);
    }
    return ids;
}

// The id of the top-level group of that name, added at the end of the tree
// when there is none. The new id differs from every other group's.
template <class Group>
std::int32_t TopGroupNamed(std::vector<Group>& groups, const std::string& name) {
    int depth = 0;
    for (const Group& g : groups) {
        depth = DepthAfterLevelStep(depth, g.levelStep);
        if (depth == 1 && StoredTextToUtf8(g.name) == name) return g.groupId;
    }
    std::set<std::int32_t> used;
    for (const Group& g : groups) used.insert(g.groupId);
    Group added;
    added.name = name;
    added.levelStep = groups.empty() ? 0 : 1 - depth;
    do added.groupId = DrawIdentifier();
    while (used.count(added.groupId));
    groups.push_back(added);
    return added.groupId;
}

}  // namespace veltrin
