#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
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

// Each group's path by its id.
template <class Group>
std::map<std::int32_t, std::string> GroupPathsById(const std::vector<Group>& groups) {
    std::map<std::int32_t, std::string> byId;
    const std::vector<std::string> paths = GroupPaths(groups);
    for (std::size_t i = 0; i < groups.size(); ++i) byId.emplace(groups[i].groupId, paths[i]);
    return byId;
}

// The ids of the group with that id and of its subgroups; empty when no
// group has it.
template <class Group>
std::set<std::int32_t> SubgroupIds(const std::vector<Group>& groups, std::int32_t id) {
    std::set<std::int32_t> ids;
    int depth = 0, inside = 0;
    for (const Group& g : groups) {
        depth = DepthAfterLevelStep(depth, g.levelStep);
        if (inside && depth <= inside) break;
        if (!inside && g.groupId == id) inside = depth;
        if (inside) ids.insert(g.groupId);
    }
    return ids;
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

namespace group_paths_detail {

// One look along the groups per draw: an import that makes a group for each
// of thousands of paths would otherwise sort every id for each new group.
template <class Group>
std::int32_t UnusedGroupId(const std::vector<Group>& groups) {
    std::int32_t id;
    do id = DrawIdentifier();
    while (std::any_of(groups.begin(), groups.end(), [id](const Group& g) { return g.groupId == id; }));
    return id;
}

}  // namespace group_paths_detail

// The id of the top-level group of that name, added at the end of the tree
// when there is none. The new id differs from every other group's.
template <class Group>
std::int32_t TopGroupNamed(std::vector<Group>& groups, const std::string& name) {
    int depth = 0;
    for (const Group& g : groups) {
        depth = DepthAfterLevelStep(depth, g.levelStep);
        if (depth == 1 && StoredTextToUtf8(g.name) == name) return g.groupId;
    }
    Group added;
    added.name = name;
    added.levelStep = groups.empty() ? 0 : 1 - depth;
    added.groupId = group_paths_detail::UnusedGroupId(groups);
    groups.push_back(added);
    return added.groupId;
}

// The id of the child of the group parentId named `name` (UTF-8), added as
// its last child when it has none. The steps of the groups around a new one
// are set so every other group keeps its place in the tree.
template <class Group>
std::int32_t ChildGroupNamed(std::vector<Group>& groups, std::int32_t parentId, const std::string& name) {
    std::vector<int> depths;
    int depth = 0;
    for (const Group& g : groups) depths.push_back(depth = DepthAfterLevelStep(depth, g.levelStep));
    std::size_t at = 0;
    while (at < groups.size() && groups[at].groupId != parentId) ++at;
    if (at == groups.size()) return parentId;
    const int childDepth = depths[at] + 1;
    std::size_t end = at + 1;
    for (; end < groups.size() && depths[end] >= childDepth; ++end)
        if (depths[end] == childDepth && StoredTextToUtf8(groups[end].name) == name)
            return groups[end].groupId;
    Group added;
    added.name = name;
    added.levelStep = childDepth - depths[end - 1];
    added.groupId = group_paths_detail::UnusedGroupId(groups);
    if (end < groups.size()) groups[end].levelStep = depths[end] - childDepth;
    groups.insert(groups.begin() + static_cast<std::ptrdiff_t>(end), added);
    return added.groupId;
}

// Where an import puts its events or contacts: below the group of that id,
// or, when none is given or no group has it, below the top-level group of
// that name (made when missing).
struct ImportTarget {
    std::optional<std::int32_t> groupId;
    std::string groupName = "Imported";
};

// The group each imported item goes to: its path ("Work/Projects", from
// CATEGORIES) rebuilt below the target, reusing groups of the same name. The
// target's group is only made when an item is placed.
template <class Group>
class ImportGroups {
public:
    ImportGroups(std::vector<Group>& groups, ImportTarget target)
        : groups_(groups), target_(std::move(target)) {}

    std::int32_t For(const std::string& path) {
        const auto known = placed_.find(path);
        if (known != placed_.end()) return known->second;
        std::int32_t id = Base();
        std::size_t start = 0;
        while (start < path.size()) {
            std::size_t slash = path.find('/', start);
            if (slash == std::string::npos) slash = path.size();
            if (slash > start) id = ChildGroupNamed(groups_, id, path.substr(start, slash - start));
            start = slash + 1;
        }
        return placed_[path] = id;
    }

private:
    std::int32_t Base() {
        if (base_) return *base_;
        if (target_.groupId)
            for (const Group& g : groups_)
                if (g.groupId == *target_.groupId) return *(base_ = g.groupId);
        return *(base_ = TopGroupNamed(groups_, target_.groupName));
    }

    std::vector<Group>& groups_;
    ImportTarget target_;
    std::optional<std::int32_t> base_;
    std::unordered_map<std::string, std::int32_t> placed_;
};

}  // namespace veltrin
