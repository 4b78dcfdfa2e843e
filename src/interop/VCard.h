#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace veltrin {

// One content line of a card: its name and parameters in upper case, its
// value split at unescaped semicolons (components) and each component's
// escapes undone, decoded to UTF-8.
struct CardProperty {
    std::string name;
    std::vector<std::string> types;  // TYPE values, also 2.1's bare ones, upper case
    std::vector<std::string> components;
    bool binary = false;  // base64 or an inline data: URI (photos, sounds, keys)

    // The components joined back with "; ", for a field that takes one text.
    std::string text() const;
    bool hasType(std::string_view type) const;
};

struct Card {
    std::vector<CardProperty> properties;
};

// A content line as ForEachCard hands it over: a CardProperty whose
// components view the text read, or the line's own buffer where the value
// had to change (unfolded, decoded, escapes undone). They hold only while
// its card is handed over.
struct CardLine {
    std::string name;
    std::vector<std::string> types;
    std::vector<std::string_view> components;
    bool binary = false;
    std::string buffer;  // what the components view when not the text read

    std::string text() const;
    bool hasType(std::string_view type) const;
};

// The lines of one card.
class CardLines {
public:
    using Iterator = std::deque<CardLine>::const_iterator;
    CardLines(Iterator begin, Iterator end) : begin_(begin), end_(end) {}
    Iterator begin() const { return begin_; }
    Iterator end() const { return end_; }

private:
    Iterator begin_, end_;
};

// Reads every card of a vCard 2.1, 3.0 or 4.0 text: unfolds lines, decodes
// QUOTED-PRINTABLE and CHARSET=, undoes escapes. Lines outside a card and lines
// that are not properties are passed over; a card without END keeps what it
// had. Never fails.
std::vector<Card> ReadCards(const std::string& text);
// The same, one card at a time, without copying the texts or keeping the cards.
void ForEachCard(const std::string& text, const std::function<void(const CardLines&)>& take);

// A vCard 4.0 text value with \, ; and newlines escaped.
std::string EscapeCardText(const std::string& text);
// The same, appended to out.
void AppendCardText(std::string& out, std::string_view text);

// A content line folded at 75 octets (never inside a UTF-8 sequence), ending in CRLF.
std::string FoldContentLine(const std::string& line);
// The same, appended to out.
void AppendFoldedLine(std::string& out, std::string_view line);

}  // namespace veltrin
