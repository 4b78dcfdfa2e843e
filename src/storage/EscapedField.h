#pragma once

#include <string>
#include <string_view>

namespace veltrin {

// Texts kept as fields of tab-separated lines (the sync status, the kept
// originals): backslash, tab, CR and LF written as \\ \t \r \n.
void AppendEscapedField(std::string& out, std::string_view text);
std::string EscapedField(std::string_view text);
// The text back; false on an escape that means nothing or a lone backslash at the end.
bool UnescapedField(std::string_view field, std::string& text);

}  // namespace veltrin
