#pragma once

#include <cstdint>

namespace veltrin {

// A new group or event identifier: rand() mod (999999999 - 100 + 1) + 100,
// from the C generator seeded once with the present time. Not checked for
// uniqueness; records keep whatever identifier they were given.
std::int32_t DrawIdentifier();

// The next number of that same generator (the Tip of the Day's start).
int DrawRandom();

}  // namespace veltrin
