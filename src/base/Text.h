#pragma once

#include <string>

namespace veltrin {

// Orders two texts ignoring ASCII letter case: negative, zero or positive.
// The lists of cells, names and font faces sort by it.
int CompareTextsNoCase(const std::string& a, const std::string& b);

}  // namespace veltrin
