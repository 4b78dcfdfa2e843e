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

// Calls take with each logical line and whether it lies in the text itself:
// folded lines continue with a space or tab; 2.1's quoted-printable lines
// continue after a soft break ("=" at the end). A line that continues
// nowhere is passed as it stands in the text; the others are joined in one
// buffer that serves every line.
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
            if (have) take(std::string_view(line), false);
            const std::string_view whole(text.data() + i, stop - i);
            const bool nextFolded = end + 1 < text.size() && (text[end + 1] == ' ' || text[end + 1] == '\t');
            if (!nextFolded && !(!whole.empty() && whole.back() == '=' && IsQuotedPrintable(whole))) {
                take(whole, true);
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
    if (have) take(std::string_view(line), false);
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

// Buffers kept from one line to the next.
struct Scratch {
    std::string decoded, converted;
    std::vector<std::pair<std::size_t, std::size_t>> places;
};

// Splits at unescaped separators into p's components. Where value lies in
// the text read and holds no escape, the parts view it there; otherwise it
// is copied into the line's buffer and \n \, \; \\ are undone in place.
void SplitComponents(std::string_view value, char separator, bool inText, CardLine& p, Scratch& scratch) {
    p.components.clear();
    const char* const text = value.data();
    const std::size_t size = value.size();
    if (inText) {
        std::size_t from = 0;
        for (std::size_t i = NextOf(text, 0, size, separator);; i = NextOf(text, i + 1, size, separator)) {
            if (i < size && text[i] == '\\') break;
            p.components.push_back(value.substr(from, i - from));
            if (i == size) return;
            from = i + 1;
        }
        p.components.clear();
    }
    std::string& b = p.buffer;
    b.assign(value);
    // The parts' places first: the buffer is written over as it is read.
    scratch.places.clear();
    std::size_t w = 0, start = 0;
    for (std::size_t r = 0; r < size; ++r) {
        const char c = b[r];
        if (c == '\\' && r + 1 < size) {  // a backslash at the end is kept
            const char n = b[++r];
            b[w++] = (n == 'n' || n == 'N') ? '\n' : n;
        } else if (c == separator) {
            scratch.places.emplace_back(start, w - start);
            start = w;
        } else {
            b[w++] = c;
        }
    }
    scratch.places.emplace_back(start, w - start);
    const std::string_view kept(b);
    for (const auto& [at, length] : scratch.places) p.components.push_back(kept.substr(at, length));
}

// Adds the comma-separated words of a TYPE list, quotes left out.
void AddTypes(std::vector<std::string>& types, std::string_view list) {
    std::size_t start = 0;
    for (std::size_t i = 0; i <= list.size(); ++i) {
        if (i < list.size() && list[i] != ',') continue;
        std::string& word = types.emplace_back();
        for (std::size_t k = start; k < i; ++k)
            if (list[k] != '"') word += UpperChar(list[k]);
        if (word.empty()) types.pop_back();
        start = i + 1;
    }
}

// Reads a content line into p, using its buffers again. inText: the line
// lies in the text read. False when the line is not a property.
bool ReadProperty(std::string_view line, bool inText, CardLine& p, Scratch& scratch) {
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
                AddTypes(p.types, key);
        } else if (IsWord(key, "TYPE")) {
            AddTypes(p.types, value);
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
        inText = false;
    }
    // Whatever CHARSET says, bytes that are not UTF-8 are read as Windows-1252
    // (a superset of Latin-1 for letters), the same reading stored texts get.
    if (!IsUtf8(value)) {
        scratch.converted = StoredTextToUtf8(std::string(value));
        value = scratch.converted;
        inText = false;
    }
    p.binary = base64 || value.substr(0, 5) == "data:";
    // A URL is a URI, written without text escapes; CATEGORIES is a list.
    if (p.name == "URL"sv) {
        p.components.clear();
        p.components.push_back(inText ? value : std::string_view(p.buffer.assign(value)));
    } else {
        SplitComponents(value, p.name == "CATEGORIES"sv ? ',' : ';', inText, p, scratch);
    }
    return true;
}

template <class Components>
std::string Joined(const Components& components) {
    std::string all;
    for (const auto& c : components) {
        if (c.empty()) continue;
        if (!all.empty()) all += "; ";
        all += c;
    }
    return all;
}

bool HasType(const std::vector<std::string>& types, std::string_view type) {
    for (const std::string& t : types)
        if (IsWord(t, type)) return true;  // t is upper case already
    return false;
}

}  // namespace

std::string CardProperty::text() const { return Joined(components); }
bool CardProperty::hasType(std::string_view type) const { return HasType(types, type); }
std::string CardLine::text() const { return Joined(components); }
bool CardLine::hasType(std::string_view type) const { return HasType(types, type); }

void ForEachCard(const std::string& text, const std::function<void(const CardLines&)>& take) {
    // The card's lines are read into the slots of the card before, so their
    // buffers are used again; only the first `used` belong to the card. A
    // deque never moves its slots, so the lines' views into their own
    // buffers hold.
    std::deque<CardLine> lines;
    std::size_t used = 0;
    bool inside = false, have = false;
    const auto give = [&] {
        take(CardLines(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(used)));
    };
    CardLine mark;
    Scratch scratch;
    const auto startCard = [&] {
        // A card without END keeps what it had.
        if (have) give();
        used = 0;
        inside = have = true;
    };
    ForEachUnfoldedLine(text, [&](std::string_view line, bool inText) {
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
        if (inside && used == lines.size()) lines.emplace_back();
        CardLine& p = inside ? lines[used] : mark;
        if (!ReadProperty(line, inText, p, scratch)) return;
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
    ForEachCard(text, [&cards](const CardLines& lines) {
        Card& card = cards.emplace_back();
        for (const CardLine& line : lines) {
            CardProperty& p = card.properties.emplace_back();
            p.name = line.name;
            p.types = line.types;
            for (const std::string_view c : line.components) p.components.emplace_back(c);
            p.binary = line.binary;
        }
    });
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
