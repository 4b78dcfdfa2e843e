#pragma once

#include <cstdint>

namespace veltrin {

// A colour as the data files store it: 0x00BBGGRR.
using Colour = std::uint32_t;

}  // namespace veltrin
