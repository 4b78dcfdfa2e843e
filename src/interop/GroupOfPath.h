#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "interop/GroupPaths.h"

namespace veltrin {

// The id of the group at that path from the top ("Work/Projects"), making
// the groups of the path that are missing (each as the last child of its
// parent; every other group keeps its place). An empty path gives 0.
template <class Group>
std::int32_t GroupOfPath(std::vector<Group>& groups, const std::string& path) {
    std::int32_t id = 0;
    bool top = true;
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        if (slash > start) {
            const std::string name = path.substr(start, slash - start);
            id = top ? TopGroupNamed(groups, name) : ChildGroupNamed(groups, id, name);
            top = false;
        }
        start = slash + 1;
    }
    return id;
}

}  // namespace veltrin
