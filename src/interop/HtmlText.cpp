#include "interop/HtmlText.h"

#include "documents/MarkupText.h"

namespace veltrin {

std::string PlainTextOfHtml(const std::string& html) { return MarkupToFlowingText(html); }

std::string HtmlOfPlainText(const std::string& text) {
    std::string out = "<p>";
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '\r': break;
        case '\n': out += "<br>"; break;
        default: out += c;
        }
    }
    return out + "</p>";
}

}  // namespace veltrin
