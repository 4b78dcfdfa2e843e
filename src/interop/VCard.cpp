#include "interop/VCard.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string_view>

#include "storage/StoredText.h"

namespace veltrin {

using namespace std::literals;

namespace {

char UpperChar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// ASCII upper case: names and parameters are ASCII, whatever the locale.
std::string Upper(std::string s) {
    for (char& c : s) c = UpperChar(c);
    return s;
}

// Whether text, in ASCII upper case, equals word (given in upper case).
bool IsWord(std::string_view text, std::string_view word) {
    if (text.size() != word.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (UpperChar(text[i]) != word[i]) return false;
    return true;
}

bool IsQuotedPrintable(std::string_view line) {
    return Upper(std::string(line.substr(0, line.find(':')))).find("QUOTED-PRINTABLE") != std::string::npos;
}

// Calls take with each logical line: folded lines continue with a space or
// tab; 2.1's quoted-printable lines continue after a soft break ("=" at the
// end). A line that continues nowhere is passed as it stands in the text;
// the others are joined in one buffer that serves every line.
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
            if (have) take(std::string_view(line));
            const std::string_view whole(text.data() + i, stop - i);
            const bool nextFolded = end + 1 < text.size() && (text[end + 1] == ' ' || text[end + 1] == '\t');
            if (!nextFolded && !(!whole.empty() && whole.back() == '=' && IsQuotedPrintable(whole))) {
                take(whole);
                have = softBreak = false;
                i = end + 1;
                continue;
            }
            line.assign(whole);
            have = true;
        }
        i = end + 1;
        softBreak = !line.empty() && line.back() == '=' && IsQuotedPrintable(line);
        if (softBreak) line.pop_back();
    }
    if (have) take(std::string_view(line));
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = UpperChar(c);
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void DecodeQuotedPrintable(std::string_view s, std::string& out) {
    out.clear();
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
}

// The place of the first backslash or separator at or after i, size when
// none. Eight bytes are looked at together until one of them may be either.
std::size_t NextOf(const char* text, std::size_t i, std::size_t size, char separator) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
    const std::uint64_t backslashes = kOnes * '\\',
                        separators = kOnes * static_cast<unsigned char>(separator);
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text + i, 8);
        const std::uint64_t a = word ^ backslashes, b = word ^ separators;
        // A byte of a or b is zero where the text holds one of the two.
        if (((a - kOnes) & ~a & kHighs) | ((b - kOnes) & ~b & kHighs)) break;
    }
    while (i < size && text[i] != '\\' && text[i] != separator) ++i;
    return i;
}

// Splits at unescaped separators and undoes \n \, \; \\ in each part. The
// parts' buffers are used again; parts left over wait in spare.
void SplitComponents(std::string_view value, char separator, std::vector<std::string>& parts,
                     std::vector<std::string>& spare) {
    std::size_t count = 0;
    const auto next = [&parts, &spare, &count]() -> std::string& {
        if (count == parts.size()) {
            if (spare.empty()) {
                parts.emplace_back();
            } else {
                parts.push_back(std::move(spare.back()));
                spare.pop_back();
            }
        }
        std::string& part = parts[count++];
        part.clear();
        return part;
    };
    std::string* part = &next();
    const char* const text = value.data();
    const std::size_t size = value.size();
    std::size_t from = 0;
    for (std::size_t i = NextOf(text, 0, size, separator); i < size;
         i = NextOf(text, i + 1, size, separator)) {
        if (text[i] == '\\') {
            if (i + 1 == size) continue;  // a backslash at the end is kept
            part->append(text + from, i - from);
            const char n = text[++i];
            *part += (n == 'n' || n == 'N') ? '\n' : n;
        } else {
            part->append(text + from, i - from);
            part = &next();
        }
        from = i + 1;
    }
    part->append(text + from, size - from);
    for (; parts.size() > count; parts.pop_back()) spare.push_back(std::move(parts.back()));
}

// Adds the comma-separated words of a TYPE list, quotes left out.
void AddTypes(CardProperty& p, std::string_view list) {
    std::size_t start = 0;
    for (std::size_t i = 0; i <= list.size(); ++i) {
        if (i < list.size() && list[i] != ',') continue;
        std::string& word = p.types.emplace_back();
        for (std::size_t k = start; k < i; ++k)
            if (list[k] != '"') word += UpperChar(list[k]);
        if (word.empty()) p.types.pop_back();
        start = i + 1;
    }
}

// Buffers kept from one property to the next.
struct Scratch {
    std::string decoded, converted;
    std::vector<std::string> parts;
};

// Reads a content line into p, using its buffers again. False when the line
// is not a property.
bool ReadProperty(std::string_view line, CardProperty& p, Scratch& scratch) {
    // The name and parameters end at the first colon outside quotes. Most
    // lines have no parameters and no quotes: one look along the name finds it.
    std::size_t nameEnd = 0;
    while (nameEnd < line.size() && line[nameEnd] != ':' && line[nameEnd] != ';' && line[nameEnd] != '"')
        ++nameEnd;
    std::size_t colon = nameEnd < line.size() && line[nameEnd] == ':' ? nameEnd : line.find(':', nameEnd);
    if (colon != nameEnd && line.substr(nameEnd, colon - nameEnd).find('"') != std::string_view::npos) {
        colon = std::string::npos;
        bool quoted = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '"') quoted = !quoted;
            if (line[i] == ':' && !quoted) {
                colon = i;
                break;
            }
        }
    }
    if (colon == std::string::npos || colon == 0) return false;
    p.types.clear();
    // The parameters are split at every semicolon, quoted or not.
    const std::string_view head = line.substr(0, colon);
    std::size_t semi = std::string::npos;
    if (nameEnd < colon) semi = line[nameEnd] == ';' ? nameEnd : head.find(';');
    std::string_view name = head.substr(0, semi);
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) name.remove_prefix(dot + 1);
    // A card's slot mostly held the same name in the card before.
    if (!IsWord(name, p.name)) {
        p.name.assign(name);
        for (char& c : p.name) c = UpperChar(c);
    }
    bool qp = false, base64 = false;
    while (semi != std::string::npos) {
        const std::size_t start = semi + 1;
        semi = head.find(';', start);
        const std::string_view param = head.substr(start, semi == std::string::npos ? semi : semi - start);
        const std::size_t eq = param.find('=');
        const std::string_view key = param.substr(0, eq);
        const std::string_view value = eq == std::string::npos ? std::string_view() : param.substr(eq + 1);
        if (eq == std::string::npos) {
            if (IsWord(key, "QUOTED-PRINTABLE"))
                qp = true;
            else if (IsWord(key, "BASE64"))
                base64 = true;
            else
                AddTypes(p, key);
        } else if (IsWord(key, "TYPE")) {
            AddTypes(p, value);
        } else if (IsWord(key, "ENCODING")) {
            qp = qp || IsWord(value, "QUOTED-PRINTABLE");
            base64 = base64 || IsWord(value, "B") || IsWord(value, "BASE64");
        } else if (IsWord(key, "VALUE")) {
            base64 = base64 || IsWord(value, "BINARY");
        }
    }
    std::string_view value = line.substr(colon + 1);
    if (qp) {
        DecodeQuotedPrintable(value, scratch.decoded);
        value = scratch.decoded;
    }
    // Whatever CHARSET says, bytes that are not UTF-8 are read as Windows-1252
    // (a superset of Latin-1 for letters), the same reading stored texts get.
    if (!IsUtf8(value)) {
        scratch.converted = StoredTextToUtf8(std::string(value));
        value = scratch.converted;
    }
    p.binary = base64 || value.substr(0, 5) == "data:";
    // A URL is a URI, written without text escapes; CATEGORIES is a list.
    if (p.name == "URL"sv) {
        SplitComponents({}, ';', p.components, scratch.parts);
        p.components[0].assign(value);
    } else {
        SplitComponents(value, p.name == "CATEGORIES"sv ? ',' : ';', p.components, scratch.parts);
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

bool CardProperty::hasType(std::string_view type) const {
    for (const std::string& t : types)
        if (IsWord(t, type)) return true;  // t is upper case already
    return false;
}

void ForEachCard(const std::string& text, const std::function<void(Card&)>& take) {
    // The card's properties are read into the slots of the card before, so
    // their buffers are used again; only the first `used` belong to the card.
    // Slots a card does not fill wait in spare, buffers and all.
    Card card;
    std::vector<CardProperty> spare;
    std::size_t used = 0;
    bool inside = false, have = false;
    const auto give = [&] {
        for (; card.properties.size() > used; card.properties.pop_back())
            spare.push_back(std::move(card.properties.back()));
        take(card);
    };
    CardProperty mark;
    Scratch scratch;
    const auto startCard = [&] {
        // A card without END keeps what it had.
        if (have) give();
        used = 0;
        inside = have = true;
    };
    ForEachUnfoldedLine(text, [&](std::string_view line) {
        // A card's first and last line, as nearly every file writes them,
        // without reading them as properties.
        if (IsWord(line, "BEGIN:VCARD")) {
            startCard();
            return;
        }
        if (IsWord(line, "END:VCARD")) {
            inside = false;
            return;
        }
        if (used == card.properties.size()) {
            if (spare.empty()) {
                card.properties.emplace_back();
            } else {
                card.properties.push_back(std::move(spare.back()));
                spare.pop_back();
            }
        }
        CardProperty& p = inside ? card.properties[used] : mark;
        if (!ReadProperty(line, p, scratch)) return;
        const bool begin = p.name == "BEGIN"sv, end = !begin && p.name == "END"sv;
        if ((begin || end) && (p.components.empty() || !IsWord(p.components[0], "VCARD"))) {
            if (inside) ++used;
        } else if (begin) {
            startCard();
        } else if (end) {
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
    static constexpr std::array<bool, 256> kEscaped = [] {
        std::array<bool, 256> escaped{};
        for (const unsigned char c : {'\\', ',', ';', '\r', '\n'}) escaped[c] = true;
        return escaped;
    }();
    // Runs without a character to escape go in whole; most texts are one run.
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!kEscaped[static_cast<unsigned char>(c)]) continue;
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
