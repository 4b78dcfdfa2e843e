#pragma once

#include <string>
#include <string_view>

namespace veltrin {

// The text a page shows, from its markup (UTF-8): tags and their attributes
// are dropped, character references are decoded, and what scripts, styles,
// the head's title and comments hold is not text. A tag that starts a block
// or a line leaves a line break, so words of two paragraphs do not run into
// one; an inline tag leaves nothing ("Ca<b>f</b>é" is one word). A '<' that
// starts no tag, and an unknown reference, stay as they are.
std::string MarkupToText(std::string_view html);

// The same text laid out for readers of plain text: a run of white space is
// one space, blocks are separated by one line break, and the text has no
// blank ends.
std::string MarkupToFlowingText(std::string_view html);

}  // namespace veltrin
