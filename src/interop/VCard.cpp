#include "interop/VCard.h"

#include <algorithm>
#include <cctype>

#include "storage/StoredText.h"

namespace veltrin {

namespace {

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool IsQuotedPrintable(const std::string& line) {
    return Upper(line.substr(0, line.find(':'))).find("QUOTED-PRINTABLE") != std::string::npos;
}

// Folded lines continue with a space or tab; 2.1's quoted-printable lines
// continue after a soft break ("=" at the end).
std::vector<std::string> UnfoldLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t i = 0;
    bool softBreak = false;
    while (i < text.size()) {
        std::size_t end = text.find('\n', i);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(i, end - i);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        i = end + 1;
        if (!lines.empty() && !line.empty() && (line[0] == ' ' || line[0] == '\t') && !softBreak) {
            lines.back() += line.substr(1);
        } else if (!lines.empty() && softBreak) {
            lines.back() += line;
        } else {
            lines.push_back(line);
        }
        const std::string& last = lines.back();
        softBreak = !last.empty() && last.back() == '=' && IsQuotedPrintable(last);
        if (softBreak) lines.back().pop_back();
    }
    return lines;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string DecodeQuotedPrintable(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '=' && i + 2 < s.size()) {
            const int hi = HexDigit(s[i + 1]), lo = HexDigit(s[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

// Splits at unescaped separators and undoes \n \, \; \\ in each part.
std::vector<std::string> SplitComponents(const std::string& value, bool escapes, char separator = ';') {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\\' && escapes && i + 1 < value.size()) {
            const char n = value[++i];
            parts.back() += (n == 'n' || n == 'N') ? '\n' : n;
        } else if (c == separator) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

void AddTypes(CardProperty& p, std::string list) {
    list.erase(std::remove(list.begin(), list.end(), '"'), list.end());
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t comma = list.find(',', start);
        if (comma == std::string::npos) comma = list.size();
        std::string t = Upper(list.substr(start, comma - start));
        if (!t.empty()) p.types.push_back(t);
        start = comma + 1;
    }
}

bool ReadProperty(const std::string& line, CardProperty& p) {
    // The name and parameters end at the first colon outside quotes.
    std::size_t colon = std::string::npos;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (line[i] == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon == std::string::npos || colon == 0) return false;
    std::vector<std::string> head = SplitComponents(line.substr(0, colon), false);
    std::string name = Upper(head[0]);
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) name = name.substr(dot + 1);
    p.name = name;
    bool qp = false, base64 = false;
    for (std::size_t i = 1; i < head.size(); ++i) {
        const std::size_t eq = head[i].find('=');
        const std::string key = Upper(head[i].substr(0, eq));
        const std::string value = eq == std::string::npos ? std::string() : head[i].substr(eq + 1);
        const std::string upperValue = Upper(value);
        if (eq == std::string::npos) {
            if (key == "QUOTED-PRINTABLE")
                qp = true;
            else if (key == "BASE64")
                base64 = true;
            else
                AddTypes(p, key);
        } else if (key == "TYPE") {
            AddTypes(p, value);
        } else if (key == "ENCODING") {
            qp = qp || upperValue == "QUOTED-PRINTABLE";
            base64 = base64 || upperValue == "B" || upperValue == "BASE64";
        } else if (key == "VALUE") {
            base64 = base64 || upperValue == "BINARY";
        }
    }
    std::string value = line.substr(colon + 1);
    if (qp) value = DecodeQuotedPrintable(value);
    // Whatever CHARSET says, bytes that are not UTF-8 are read as Windows-1252
    // (a superset of Latin-1 for letters), the same reading stored texts get.
    value = StoredTextToUtf8(value);
    p.binary = base64 || value.compare(0, 5, "data:") == 0;
    // A URL is a URI, written without text escapes; CATEGORIES is a list.
    p.components = p.name == "URL"          ? std::vector<std::string>{value}
                   : p.name == "CATEGORIES" ? SplitComponents(value, true, ',')
                                            : SplitComponents(value, true);
    return true;
}

}  // namespace

std::string CardProperty::text() const {
    std::string all;
    for (const std::string& c : components) {
        if (c.empty()) continue;
        if (!all.empty()) all += "; ";
        all += c;
    }
    return all;
}

bool CardProperty::hasType(const char* type) const {
    for (const std::string& t : types)
        if (t == type) return true;
    return false;
}

std::vector<Card> ReadCards(const std::string& text) {
    std::vector<Card> cards;
    bool inside = false;
    for (const std::string& line : UnfoldLines(text)) {
        CardProperty p;
        if (!ReadProperty(line, p)) continue;
        const std::string value = p.components.empty() ? std::string() : Upper(p.components[0]);
        if (p.name == "BEGIN" && value == "VCARD") {
            cards.emplace_back();
            inside = true;
        } else if (p.name == "END" && value == "VCARD") {
            inside = false;
        } else if (inside) {
            cards.back().properties.push_back(std::move(p));
        }
    }
    return cards;
}

std::string EscapeCardText(const std::string& text) {
    std::string out;
    AppendCardText(out, text);
    return out;
}

void AppendCardText(std::string& out, std::string_view text) {
    // Runs without a character to escape go in whole; most texts are one run.
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\' && c != ',' && c != ';' && c != '\r' && c != '\n') continue;
        out.append(text, from, i - from);
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += "\\n";
        } else {
            out += '\\';
            out += c;
        }
        from = i + 1;
    }
    out.append(text, from, std::string_view::npos);
}

std::string FoldContentLine(const std::string& line) {
    std::string out;
    AppendFoldedLine(out, line);
    return out;
}

void AppendFoldedLine(std::string& out, std::string_view line) {
    if (line.size() < 75) {
        out.append(line);
        out += "\r\n";
        return;
    }
    std::size_t width = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if (width >= 74 && (c & 0xC0) != 0x80) {
            out += "\r\n ";
            width = 1;
        }
        out += line[i];
        ++width;
    }
    out += "\r\n";
}

}  // namespace veltrin
