#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace veltrin {

inline constexpr char kFieldSeparator = '\x1F';

// The form texts are compared in: lower case, accents dropped ("Café" and
// "CAFE" both give "cafe"), typographic quotes and dashes made plain, and
// every run of blanks, line breaks and control characters made one blank, so
// a phrase matches across a line break. kFieldSeparator alone stays: texts
// joined by it never match as one. The input is UTF-8; a byte that is not
// part of a well-formed sequence is passed on as it is.
//
// With sourceOffsets, each byte written gets the offset of the input byte it
// came from, to find a hit in the original text again.
std::string FoldText(std::string_view utf8, std::vector<std::uint32_t>* sourceOffsets = nullptr);

// A stored text (UTF-8, or Windows-1252 from older files) in folded form.
std::string FoldStoredText(const std::string& bytes);

}  // namespace veltrin
