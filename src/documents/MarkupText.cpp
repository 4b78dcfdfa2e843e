#include "documents/MarkupText.h"

#include <cstdint>
#include <cstring>

#include "storage/StoredText.h"

namespace veltrin {

namespace {

// The named references of U+00A0..U+00FF, in code point order.
constexpr const char* kLatin1Names[96] = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",
    "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",
    "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12",
    "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde",
    "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",
    "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",
    "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

struct NamedReference {
    const char* name;
    std::uint32_t cp;
};
constexpr NamedReference kOtherNames[] = {
    {"amp", '&'},      {"lt", '<'},        {"gt", '>'},        {"quot", '"'},      {"apos", '\''},
    {"euro", 0x20AC},  {"hellip", 0x2026}, {"ndash", 0x2013},  {"mdash", 0x2014},  {"lsquo", 0x2018},
    {"rsquo", 0x2019}, {"sbquo", 0x201A},  {"ldquo", 0x201C},  {"rdquo", 0x201D},  {"bdquo", 0x201E},
    {"bull", 0x2022},  {"trade", 0x2122},  {"dagger", 0x2020}, {"Dagger", 0x2021}, {"permil", 0x2030},
    {"OElig", 0x152},  {"oelig", 0x153},   {"Scaron", 0x160},  {"scaron", 0x161},  {"Yuml", 0x178},
    {"fnof", 0x192},   {"circ", 0x2C6},    {"tilde", 0x2DC},   {"lsaquo", 0x2039}, {"rsaquo", 0x203A},
    {"ensp", 0x2002},  {"emsp", 0x2003},   {"thinsp", 0x2009},
};

// Tags after which the text goes on on a new line.
constexpr const char* kBreakingTags[] = {
    "address",  "article",    "aside",  "blockquote", "br",   "caption", "dd", "div", "dl",   "dt",
    "fieldset", "figcaption", "figure", "footer",     "form", "h1",      "h2", "h3",  "h4",   "h5",
    "h6",       "header",     "hr",     "li",         "main", "nav",     "ol", "p",   "pre",  "section",
    "table",    "tbody",      "td",     "tfoot",      "th",   "thead",   "tr", "ul",  "body", "html",
};

// Elements whose content is not shown as text.
constexpr const char* kHiddenContent[] = {"script", "style", "title", "textarea"};

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool equalsNoCase(std::string_view a, const char* b) {
    const std::size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (lower(a[i]) != b[i]) return false;
    return true;
}

template <std::size_t N>
bool isOneOf(std::string_view name, const char* const (&names)[N]) {
    for (const char* n : names)
        if (equalsNoCase(name, n)) return true;
    return false;
}

// Decodes the reference that starts at html[i] == '&' into out; returns the
// index after it, or i when there is no reference there.
std::size_t decodeReference(std::string_view html, std::size_t i, std::string& out) {
    std::size_t k = i + 1;
    if (k < html.size() && html[k] == '#') {
        ++k;
        const bool hex = k < html.size() && (html[k] == 'x' || html[k] == 'X');
        if (hex) ++k;
        const std::size_t digitsStart = k;
        std::uint32_t cp = 0;
        bool tooBig = false;
        for (; k < html.size(); ++k) {
            const char c = html[k];
            int digit;
            if (isAsciiDigit(c))
                digit = c - '0';
            else if (hex && lower(c) >= 'a' && lower(c) <= 'f')
                digit = lower(c) - 'a' + 10;
            else
                break;
            cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
            if (cp > 0x10FFFF) {
                tooBig = true;
                cp = 0x110000;  // keeps counting digits without overflowing
            }
        }
        if (k == digitsStart) return i;
        if (k < html.size() && html[k] == ';') ++k;
        if (tooBig || cp == 0 || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
        AppendUtf8(out, cp);
        return k;
    }
    while (k < html.size() && k - i <= 8 && (isAsciiLetter(html[k]) || isAsciiDigit(html[k]))) ++k;
    if (k >= html.size() || html[k] != ';' || k == i + 1) return i;
    const std::string_view name = html.substr(i + 1, k - i - 1);
    for (const NamedReference& r : kOtherNames)
        if (name == r.name) {
            AppendUtf8(out, r.cp);
            return k + 1;
        }
    for (std::uint32_t n = 0; n < 96; ++n)
        if (name == kLatin1Names[n]) {
            AppendUtf8(out, 0xA0 + n);
            return k + 1;
        }
    return i;
}

// The index after the '>' that ends the tag whose name ends at i, quotes of
// attribute values respected; the end of the text when it never ends.
std::size_t skipTagRest(std::string_view html, std::size_t i) {
    char quote = 0;
    for (; i < html.size(); ++i) {
        const char c = html[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return html.size();
}

// The index of the "</name" that closes a hidden element, from i on.
std::size_t findClosing(std::string_view html, std::size_t i, std::string_view name) {
    for (;;) {
        const std::size_t at = html.find("</", i);
        if (at == std::string_view::npos) return html.size();
        const std::size_t nameStart = at + 2;
        if (nameStart + name.size() <= html.size()) {
            bool same = true;
            for (std::size_t n = 0; n < name.size() && same; ++n)
                same = lower(html[nameStart + n]) == lower(name[n]);
            const std::size_t after = nameStart + name.size();
            if (same && (after == html.size() || !isAsciiLetter(html[after]))) return at;
        }
        i = at + 2;
    }
}

// Collects the text; when it flows, white space as the page shows it: a run
// of it one space, none at a line's start, one break between blocks.
class TextOut {
public:
    TextOut(std::string& out, bool flow) : out_(out), flow_(flow) {}

    void text(std::string_view s) {
        if (!flow_) {
            out_.append(s);
            return;
        }
        for (const char c : s) {
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                if (!out_.empty() && out_.back() != ' ' && out_.back() != '\n') out_ += ' ';
            } else {
                out_ += c;
            }
        }
    }
    void lineBreak() {
        if (!flow_) {
            out_ += '\n';
            return;
        }
        while (!out_.empty() && out_.back() == ' ') out_.pop_back();
        if (!out_.empty() && out_.back() != '\n') out_ += '\n';
    }
    void end() {
        if (!flow_) return;
        while (!out_.empty() && (out_.back() == ' ' || out_.back() == '\n')) out_.pop_back();
    }

private:
    std::string& out_;
    const bool flow_;
};

std::string markupText(std::string_view html, bool flow) {
    std::string out;
    out.reserve(html.size() / 2);
    TextOut put(out, flow);
    std::size_t i = 0;
    while (i < html.size()) {
        const std::size_t next = html.find_first_of("<&", i);
        if (next == std::string_view::npos) {
            put.text(html.substr(i));
            break;
        }
        put.text(html.substr(i, next - i));
        i = next;
        if (html[i] == '&') {
            const std::size_t after = decodeReference(html, i, out);
            if (after == i) {
                out += '&';
                ++i;
            } else {
                i = after;
            }
            continue;
        }
        // html[i] == '<'
        if (html.compare(i, 4, "<!--") == 0) {
            const std::size_t end = html.find("-->", i + 4);
            i = end == std::string_view::npos ? html.size() : end + 3;
            continue;
        }
        const char c = i + 1 < html.size() ? html[i + 1] : '\0';
        if (c == '!' || c == '?') {
            i = skipTagRest(html, i + 2);
            continue;
        }
        const bool closing = c == '/';
        const std::size_t nameStart = i + (closing ? 2 : 1);
        if (nameStart >= html.size() || !isAsciiLetter(html[nameStart])) {
            out += '<';  // not a tag: a plain '<' of the text
            ++i;
            continue;
        }
        std::size_t nameEnd = nameStart;
        while (nameEnd < html.size() && (isAsciiLetter(html[nameEnd]) || isAsciiDigit(html[nameEnd])))
            ++nameEnd;
        const std::string_view name = html.substr(nameStart, nameEnd - nameStart);
        i = skipTagRest(html, nameEnd);
        if (isOneOf(name, kBreakingTags)) put.lineBreak();
        if (!closing && isOneOf(name, kHiddenContent)) {
            const bool selfClosed = i >= 2 && html[i - 1] == '>' && html[i - 2] == '/';
            if (!selfClosed) i = skipTagRest(html, findClosing(html, i, name));
        }
    }
    put.end();
    return out;
}

}  // namespace

std::string MarkupToText(std::string_view html) { return markupText(html, false); }

std::string MarkupToFlowingText(std::string_view html) { return markupText(html, true); }

}  // namespace veltrin
