#pragma once

#include <array>

namespace veltrin {

inline constexpr int kTipCount = 14;
const std::array<const char*, kTipCount>& Tips();

// The tip after or before one, wrapping at both ends of the list.
int NextTip(int index);
int PreviousTip(int index);
// The first tip shown: the one after a random index.
int FirstTip(unsigned random);

}  // namespace veltrin
