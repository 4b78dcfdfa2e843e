#include "interop/HtmlText.h"

#include <cctype>
#include <cstdint>

#include "storage/StoredText.h"

namespace veltrin {

namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Decodes the entity at html[i] ('&'); false when it is none we know.
bool Entity(const std::string& html, std::size_t& i, std::string& out) {
    const std::size_t semi = html.find(';', i);
    if (semi == std::string::npos || semi - i > 10) return false;
    const std::string name = html.substr(i + 1, semi - i - 1);
    static const struct {
        const char* name;
        const char* text;
    } kNamed[] = {{"amp", "&"},   {"lt", "<"},   {"gt", ">"},
                  {"quot", "\""}, {"apos", "'"}, {"nbsp", "\xC2\xA0"}};
    for (const auto& e : kNamed)
        if (name == e.name) {
            out += e.text;
            i = semi;
            return true;
        }
    if (name.size() >= 2 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string digits = name.substr(hex ? 2 : 1);
        if (digits.empty() || digits.size() > 7) return false;
        std::uint32_t cp = 0;
        for (char c : digits) {
            if (!(hex ? std::isxdigit(static_cast<unsigned char>(c))
                      : std::isdigit(static_cast<unsigned char>(c))))
                return false;
            cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(std::isdigit(static_cast<unsigned char>(c))
                                                                       ? c - '0'
                                                                       : std::tolower(c) - 'a' + 10);
        }
        AppendUtf8(out, cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) ? 0xFFFD : cp);
        i = semi;
        return true;
    }
    return false;
}

bool EndsLine(const std::string& tag) {
    static const char* const kBlocks[] = {"br", "p",  "/p",  "div", "/div", "li",  "tr",     "/tr", "h1",
                                          "h2", "h3", "/h1", "/h2", "/h3",  "/li", "/table", "hr"};
    for (const char* b : kBlocks)
        if (tag == b) return true;
    return false;
}

}  // namespace

std::string PlainTextOfHtml(const std::string& html) {
    std::string out;
    std::string skipUntil;
    for (std::size_t i = 0; i < html.size(); ++i) {
        const char c = html[i];
        if (c == '<') {
            const std::size_t end = html.find('>', i);
            if (end == std::string::npos) break;
            std::string tag = Lower(html.substr(i + 1, end - i - 1));
            const std::size_t space = tag.find_first_of(" \t\r\n/", tag[0] == '/' ? 1 : 0);
            if (space != std::string::npos) tag = tag.substr(0, space);
            i = end;
            if (!skipUntil.empty()) {
                if (tag == skipUntil) skipUntil.clear();
                continue;
            }
            if (tag == "script" || tag == "style" || tag == "head" || tag == "title") {
                skipUntil = "/" + tag;
                continue;
            }
            if (EndsLine(tag) && !out.empty() && out.back() != '\n') out += '\n';
        } else if (!skipUntil.empty()) {
            continue;
        } else if (c == '&') {
            if (!Entity(html, i, out)) out += c;
        } else if (c == '\r' || c == '\n' || c == '\t') {
            if (!out.empty() && out.back() != ' ' && out.back() != '\n') out += ' ';
        } else {
            out += c;
        }
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

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
