#pragma once

#include <cstdint>
#include <vector>

#include "imaging/Picture.h"

namespace veltrin {

// Encoders for the art generator and for tests that need damaged files.
// Both give an empty vector on failure.

// Baseline JPEG at the given quality (1–100).
std::vector<std::uint8_t> EncodeJpeg(const Picture& picture, int quality = 92);

// GIF89a. A picture of at most 256 colours keeps them exactly; a richer one
// is reduced to a 256-colour palette first.
std::vector<std::uint8_t> EncodeGif(const Picture& picture, bool interlaced = false);

}  // namespace veltrin
