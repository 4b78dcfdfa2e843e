#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tree/GroupTreeModel.h"

namespace veltrin::test {

// Records every notification and answers with what the test scripted per code.
class RecordingListener : public GroupTreeListener {
public:
    std::vector<TreeNotification> got;
    std::function<unsigned(const TreeNotification&)> answer;

    unsigned OnTreeNotify(const TreeNotification& n) override {
        got.push_back(n);
        return answer ? answer(n) : 0;
    }
    std::vector<TreeNotification> codes(int code) const {
        std::vector<TreeNotification> r;
        for (const auto& n : got)
            if (n.code == code) r.push_back(n);
        return r;
    }
};

// The tree-column texts of the rows, top to bottom, indented by depth.
inline std::string RowsText(const GroupTreeModel& t) {
    std::string s;
    for (int r = 0; r < t.RowCount(); ++r) {
        const NodeHandle n = t.NodeAtRow(r);
        if (!s.empty()) s += ' ';
        s += std::string(static_cast<std::size_t>(t.GetDepth(n) - 1), '.') + t.GetItemText(n, 0);
    }
    return s;
}

}  // namespace veltrin::test
