#pragma once

#include <vector>

namespace veltrin {

// The pictures a group (of events or of contacts) can carry, as icon names of
// the desktop's theme. A group stores the index into this list, so entries
// are only ever appended.
const std::vector<const char*>& GroupIconNames();

}  // namespace veltrin
