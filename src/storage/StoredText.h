#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace veltrin {

// Texts in the data files are kept as the bytes that were read, so a load and
// store never changes them. For showing them, this turns the bytes into UTF-8:
// each valid UTF-8 sequence as it is, and every other byte as Windows-1252,
// the code page of files carried over from Windows. Texts that mix both (an
// old note edited here) come out whole.
std::string StoredTextToUtf8(const std::string& bytes);
// Whether text is well-formed UTF-8 throughout, which StoredTextToUtf8 keeps
// as it is.
bool IsUtf8(std::string_view text);

// Appends a code point (at most U+10FFFF) as UTF-8.
void AppendUtf8(std::string& out, std::uint32_t cp);

// The code point of the well-formed UTF-8 sequence at s[i] (no overlong
// forms, no surrogates, nothing above U+10FFFF) and its length in bytes;
// length 0 when there is none there.
std::uint32_t DecodeUtf8At(std::string_view s, std::size_t i, std::size_t& length);

}  // namespace veltrin
