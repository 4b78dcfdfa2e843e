#pragma once

#include <string>

namespace veltrin {

// The text of an HTML page for readers that show plain text: tags dropped,
// line breaks where blocks end, the common entities decoded. Script and
// style contents are left out.
std::string PlainTextOfHtml(const std::string& html);

// A plain text as an HTML body: special characters escaped, each line a line.
std::string HtmlOfPlainText(const std::string& text);

}  // namespace veltrin
