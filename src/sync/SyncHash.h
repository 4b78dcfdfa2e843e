#pragma once

#include <string>

namespace veltrin {

// The digest of a text in hex: 32 digits, or the first 16 when short.
std::string HexDigest(const std::string& text, bool shortForm = false);

}  // namespace veltrin
