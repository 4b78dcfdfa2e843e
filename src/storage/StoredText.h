#pragma once

#include <cstdint>
#include <string>

namespace veltrin {

// Texts in the data files are kept as the bytes that were read, so a load and
// store never changes them. For showing them, this turns the bytes into UTF-8:
// each valid UTF-8 sequence as it is, and every other byte as Windows-1252,
// the code page of files carried over from Windows. Texts that mix both (an
// old note edited here) come out whole.
std::string StoredTextToUtf8(const std::string& bytes);

// Appends a code point (up to U+10FFFF) as UTF-8.
void AppendUtf8(std::string& out, std::uint32_t cp);

}  // namespace veltrin
