#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "interop/GroupPaths.h"
#include "storage/Identifier.h"
#include "tree/LevelSteps.h"

namespace veltrin {

// The id of the group at that path ("Work/Projects"), making the missing
// groups of the path as the last children of the deepest one there. An empty
// path gives 0 (no group).
template <class Group>
std::int32_t GroupOfPath(std::vector<Group>& groups, const std::string& path) {
    if (path.empty()) return 0;
    std::vector<std::string> parts;
    for (std::size_t start = 0;;) {
        const std::size_t slash = path.find('/', start);
        parts.push_back(path.substr(start, slash - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    const std::vector<std::string> paths = GroupPaths(groups);
    std::vector<int> depths;
    int depth = 0;
    for (const Group& g : groups) depths.push_back(depth = DepthAfterLevelStep(depth, g.levelStep));
    // The deepest group of the path that is there, and where its subtree ends.
    std::size_t have = 0, at = groups.size();
    std::string prefix;
    for (std::size_t n = 1; n <= parts.size(); ++n) {
        prefix += (n > 1 ? "/" : "") + parts[n - 1];
        std::size_t found = groups.size();
        for (std::size_t i = 0; i < paths.size(); ++i)
            if (paths[i] == prefix) {
                found = i;
                break;
            }
        if (found == groups.size()) break;
        have = n;
        at = found + 1;
        while (at < groups.size() && depths[at] > static_cast<int>(n)) ++at;
    }
    if (have == parts.size()) {
        for (std::size_t i = 0; i < paths.size(); ++i)
            if (paths[i] == path) return groups[i].groupId;
    }
    std::set<std::int32_t> used{0};
    for (const Group& g : groups) used.insert(g.groupId);
    std::vector<Group> made;
    std::int32_t id = 0;
    for (std::size_t n = have + 1; n <= parts.size(); ++n) {
        Group g;
        g.name = parts[n - 1];
        do g.groupId = DrawIdentifier();
        while (used.count(g.groupId));
        used.insert(id = g.groupId);
        made.push_back(g);
        depths.insert(depths.begin() + static_cast<std::ptrdiff_t>(at + made.size() - 1),
                      static_cast<int>(n));
    }
    groups.insert(groups.begin() + static_cast<std::ptrdiff_t>(at), made.begin(), made.end());
    // Only the new groups and the one after them take new steps.
    for (std::size_t i = at; i <= at + made.size() && i < groups.size(); ++i)
        groups[i].levelStep = i == 0 ? 0 : depths[i] - depths[i - 1];
    return id;
}

}  // namespace veltrin
