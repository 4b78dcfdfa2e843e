#pragma once

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

// Reads every card of a vCard 2.1, 3.0 or 4.0 text: unfolds lines, decodes
// QUOTED-PRINTABLE and CHARSET=, undoes escapes. Lines outside a card and lines
// that are not properties are passed over; a card without END keeps what it
// had. Never fails.
std::vector<Card> ReadCards(const std::string& text);
// The same, one card at a time, without keeping them all.
void ForEachCard(const std::string& text, const std::function<void(Card&)>& take);

// A vCard 4.0 text value with \, ; and newlines escaped.
std::string EscapeCardText(const std::string& text);
// The same, appended to out.
void AppendCardText(std::string& out, std::string_view text);

// A content line folded at 75 octets (never inside a UTF-8 sequence), ending in CRLF.
std::string FoldContentLine(const std::string& line);
// The same, appended to out.
void AppendFoldedLine(std::string& out, std::string_view line);

}  // namespace veltrin
