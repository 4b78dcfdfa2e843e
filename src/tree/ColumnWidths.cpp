#include "tree/ColumnWidths.h"

#include <algorithm>

namespace veltrin {

std::vector<int> FitColumnsToTexts(const std::vector<int>& wanted, const std::vector<int>& needed) {
    std::vector<int> widths = wanted;
    const auto need = [&needed](std::size_t c) { return c < needed.size() ? needed[c] : 0; };
    int growth = 0;
    for (std::size_t c = 0; c < widths.size(); ++c)
        if (widths[c] < need(c)) {
            growth += need(c) - widths[c];
            widths[c] = need(c);
        }
    for (std::size_t c = 0; c < widths.size() && growth > 0; ++c) {
        const int spare = std::min(growth, widths[c] - need(c));
        if (spare <= 0) continue;
        widths[c] -= spare;
        growth -= spare;
    }
    return widths;
}

}  // namespace veltrin
