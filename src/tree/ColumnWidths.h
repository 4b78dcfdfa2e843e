#pragma once

#include <vector>

namespace veltrin {

// Column widths for a list whose columns are given widths (wanted) but need
// some width to show their texts whole (needed, the same count): a column
// that would cut its texts grows to its need, and the growth is taken from
// the other columns in order, from the first on, each giving only what it
// holds beyond its own need. So the columns keep their given widths where
// these fit, and the row keeps its width while the others have room to
// spare; beyond that the row grows.
std::vector<int> FitColumnsToTexts(const std::vector<int>& wanted, const std::vector<int>& needed);

}  // namespace veltrin
