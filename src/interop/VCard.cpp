#include "interop/VCard.h"

#include <algorithm>
#include <cctype>
#include <functional>

#include "storage/StoredText.h"

namespace veltrin {

namespace {

// ASCII upper case: names and parameters are ASCII, whatever the locale.
std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool IsQuotedPrintable(const std::string& line) {
    return Upper(line.substr(0, line.find(':'))).find("QUOTED-PRINTABLE") != std::string::npos;
}

// Calls take with each logical line: folded lines continue with a space or
// tab; 2.1's quoted-printable lines continue after a soft break ("=" at the
// end). One buffer serves every line.
template <class Take>
void ForEachUnfoldedLine(const std::string& text, Take&& take) {
    std::string line;
    bool have = false, softBreak = false;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = text.find('\n', i);
        if (end == std::string::npos) end = text.size();
        std::size_t stop = end;
        if (stop > i && text[stop - 1] == '\r') --stop;
        const bool folded = stop > i && (text[i] == ' ' || text[i] == '\t');
        if (have && folded && !softBreak) {
            line.append(text, i + 1, stop - i - 1);
        } else if (have && softBreak) {
            line.append(text, i, stop - i);
        } else {
            if (have) take(line);
            line.assign(text, i, stop - i);
            have = true;
        }
        i = end + 1;
        softBreak = !line.empty() && line.back() == '=' && IsQuotedPrintable(line);
        if (softBreak) line.pop_back();
    }
    if (have) take(line);
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
void SplitComponents(std::string_view value, bool escapes, char separator, std::vector<std::string>& parts) {
    parts.clear();
    parts.emplace_back();
    std::size_t from = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\\' && escapes && i + 1 < value.size()) {
            parts.back().append(value, from, i - from);
            const char n = value[++i];
            parts.back() += (n == 'n' || n == 'N') ? '\n' : n;
            from = i + 1;
        } else if (c == separator) {
            parts.back().append(value, from, i - from);
            parts.emplace_back();
            from = i + 1;
        }
    }
    parts.back().append(value, from, std::string::npos);
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
    p.types.clear();
    std::vector<std::string> head;
    SplitComponents(std::string_view(line).substr(0, colon), false, ';', head);
    std::string name = Upper(head[0]);
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) name = name.substr(dot + 1);
    p.name = std::move(name);
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
    std::string_view value = std::string_view(line).substr(colon + 1);
    std::string decoded;
    if (qp) value = decoded = DecodeQuotedPrintable(std::string(value));
    // Whatever CHARSET says, bytes that are not UTF-8 are read as Windows-1252
    // (a superset of Latin-1 for letters), the same reading stored texts get.
    if (!std::all_of(value.begin(), value.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        value = decoded = StoredTextToUtf8(std::string(value));
    p.binary = base64 || value.substr(0, 5) == "data:";
    // A URL is a URI, written without text escapes; CATEGORIES is a list.
    if (p.name == "URL") {
        p.components.resize(1);
        p.components[0].assign(value);
    } else {
        SplitComponents(value, true, p.name == "CATEGORIES" ? ',' : ';', p.components);
    }
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

void ForEachCard(const std::string& text, const std::function<void(Card&)>& take) {
    // The card's properties are read into the slots of the card before, so
    // their buffers are used again; only the first `used` belong to the card.
    Card card;
    std::size_t used = 0;
    bool inside = false, have = false;
    const auto give = [&] {
        card.properties.resize(used);
        take(card);
    };
    CardProperty mark;
    ForEachUnfoldedLine(text, [&](const std::string& line) {
        if (used == card.properties.size()) card.properties.emplace_back();
        CardProperty& p = inside ? card.properties[used] : mark;
        if (!ReadProperty(line, p)) return;
        const bool marks = p.name == "BEGIN" || p.name == "END";
        if (marks && (p.components.empty() || Upper(p.components[0]) != "VCARD")) {
            if (inside) ++used;
        } else if (p.name == "BEGIN") {
            // A card without END keeps what it had.
            if (have) give();
            used = 0;
            inside = have = true;
        } else if (p.name == "END") {
            inside = false;
        } else if (inside) {
            ++used;
        }
    });
    if (have) give();
}

std::vector<Card> ReadCards(const std::string& text) {
    std::vector<Card> cards;
    ForEachCard(text, [&cards](Card& card) { cards.push_back(card); });
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
