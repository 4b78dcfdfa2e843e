#include "search/SearchIndex.h"

#include <algorithm>
#include <cstring>
#include <string.h>

#include "documents/MarkupText.h"
#include "search/Folding.h"
#include "storage/StoredText.h"

namespace veltrin {

namespace {

constexpr const char* kKindNames[] = {"events", "diary", "notes", "contacts"};

// Where needle first occurs in [begin, end) of haystack; npos for nowhere.
std::size_t findIn(const std::string& haystack, std::size_t begin, std::size_t end,
                   const std::string& needle) {
    if (needle.size() > end - begin) return std::string::npos;
    const void* at = ::memmem(haystack.data() + begin, end - begin, needle.data(), needle.size());
    return at ? static_cast<std::size_t>(static_cast<const char*>(at) - haystack.data()) : std::string::npos;
}

// Bytes back from a hit and on after it that a snippet shows.
constexpr std::size_t kBefore = 50;
constexpr std::size_t kAfter = 90;

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Appends text[begin, end) on one line: blanks, line breaks and separators
// become one blank.
void appendOneLine(std::string& out, const std::string& text, std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c <= ' ' || c == 0x7F) {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += static_cast<char>(c);
        }
    }
}

// Without a trailing blank; an ellipsis where the text goes on.
void endSnippet(std::string& text, bool cut) {
    if (!text.empty() && text.back() == ' ') text.pop_back();
    if (cut) text += "\xE2\x80\xA6";
}

}  // namespace

const char* SearchKindName(SearchKind kind) { return kKindNames[static_cast<int>(kind)]; }

std::optional<SearchKind> SearchKindNamed(const std::string& name) {
    for (int k = 0; k < 4; ++k)
        if (name == kKindNames[k]) return static_cast<SearchKind>(k);
    return std::nullopt;
}

void SearchIndex::add(SearchEntry entry, const std::string& title, std::string text) {
    starts_.push_back(folded_.size());
    folded_ += FoldText(title);
    titleEnds_.push_back(folded_.size());
    folded_ += kFieldSeparator;
    folded_ += FoldText(text);
    folded_ += '\0';
    entries_.push_back(std::move(entry));
    texts_.push_back(std::move(text));
}

void SearchIndex::AddEvent(const EventItem& event, std::size_t record) {
    const std::string name = StoredTextToUtf8(event.name);
    add({SearchKind::Event, record, name, 0}, name, StoredTextToUtf8(event.details.comment));
}

void SearchIndex::AddDiaryPage(const DiaryPage& page, std::size_t record) {
    const std::string title = StoredTextToUtf8(page.title);
    add({SearchKind::DiaryPage, record, title, page.date}, title, MarkupToText(StoredTextToUtf8(page.html)));
}

void SearchIndex::AddNote(const NoteItem& note, const std::string& path, std::size_t record) {
    const std::string name = StoredTextToUtf8(note.name);
    add({SearchKind::Note, record, path.empty() ? name : path + " / " + name, 0}, name,
        MarkupToText(StoredTextToUtf8(note.html)));
}

void SearchIndex::AddContact(const ContactItem& contact, std::size_t record) {
    const int nameIndex = ContactFieldRecordIndex("Name");
    std::string text;
    for (const ContactField& field : ContactFields()) {
        if (field.recordIndex == nameIndex) continue;
        const std::string_view value = contact.fields[static_cast<std::size_t>(field.recordIndex)];
        if (value.empty()) continue;
        if (!text.empty()) text += kFieldSeparator;
        text += StoredTextToUtf8(std::string(value));
    }
    const std::string name =
        StoredTextToUtf8(std::string(contact.fields[static_cast<std::size_t>(nameIndex)]));
    add({SearchKind::Contact, record, name, 0}, name, std::move(text));
}

std::vector<SearchHit> SearchIndex::Find(const SearchQuery& query, std::optional<SearchKind> only) const {
    std::vector<SearchHit> hits;
    if (query.empty()) return hits;
    // The longest term is likely the rarest: it alone is scanned for, the
    // others are looked for only in the entries it finds.
    const std::string& lead =
        *std::max_element(query.terms.begin(), query.terms.end(),
                          [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
    std::size_t entry = 0;
    std::size_t from = 0;
    while (from < folded_.size()) {
        const std::size_t at = findIn(folded_, from, folded_.size(), lead);
        if (at == std::string::npos) break;
        while (entry + 1 < starts_.size() && starts_[entry + 1] <= at) ++entry;
        const std::size_t begin = starts_[entry];
        const std::size_t end = entry + 1 < starts_.size() ? starts_[entry + 1] : folded_.size();
        from = end;
        if (only && entries_[entry].kind != *only) continue;
        SearchHit hit{entry, 0};
        bool all = true;
        for (const std::string& term : query.terms) {
            if (findIn(folded_, begin, titleEnds_[entry], term) != std::string::npos)
                ++hit.titleTerms;
            else if (&term != &lead && findIn(folded_, titleEnds_[entry], end, term) == std::string::npos)
                all = false;
            if (!all) break;
        }
        if (all) hits.push_back(hit);
    }
    std::stable_sort(hits.begin(), hits.end(), [this](const SearchHit& a, const SearchHit& b) {
        if (a.titleTerms != b.titleTerms) return a.titleTerms > b.titleTerms;
        const SearchEntry& x = entries_[a.entry];
        const SearchEntry& y = entries_[b.entry];
        if (x.kind != y.kind) return x.kind < y.kind;
        return x.date > y.date;
    });
    return hits;
}

SearchSnippet SearchIndex::Snippet(const SearchHit& hit, const SearchQuery& query) const {
    const std::string& text = texts_[hit.entry];
    std::vector<std::uint32_t> offsets;
    const std::string folded = FoldText(text, &offsets);
    std::size_t first = std::string::npos, length = 0;
    for (const std::string& term : query.terms) {
        const std::size_t at = findIn(folded, 0, folded.size(), term);
        if (at < first) {
            first = at;
            length = term.size();
        }
    }
    SearchSnippet snippet;
    if (first == std::string::npos) {
        std::size_t end = std::min(text.size(), kBefore + kAfter);
        while (end < text.size() && isContinuation(text[end])) ++end;
        appendOneLine(snippet.text, text, 0, end);
        endSnippet(snippet.text, end < text.size());
        return snippet;
    }
    // The hit in the text, whole characters, with any accents that follow.
    const std::size_t markBegin = offsets[first];
    std::size_t markEnd = first + length < offsets.size() ? offsets[first + length] : text.size();
    if (markEnd <= offsets[first + length - 1]) markEnd = offsets[first + length - 1] + 1;
    while (markEnd < text.size() && isContinuation(text[markEnd])) ++markEnd;
    // Back to the start of a word, but no further than kBefore bytes.
    std::size_t begin = markBegin > kBefore ? markBegin - kBefore : 0;
    while (begin > 0 && isContinuation(text[begin])) --begin;
    if (begin > 0) {
        const std::size_t blank = text.find_first_of(" \t\n\r", begin);
        if (blank != std::string::npos && blank < markBegin) begin = blank + 1;
    }
    std::size_t end = std::min(text.size(), markEnd + kAfter);
    while (end < text.size() && isContinuation(text[end])) ++end;
    if (begin > 0) snippet.text = "\xE2\x80\xA6";
    appendOneLine(snippet.text, text, begin, markBegin);
    snippet.markBegin = snippet.text.size();
    appendOneLine(snippet.text, text, markBegin, markEnd);
    snippet.markEnd = snippet.text.size();
    appendOneLine(snippet.text, text, markEnd, end);
    endSnippet(snippet.text, end < text.size());
    return snippet;
}

SearchIndex BuildSearchIndex(const EventStore& events, const DiaryTable& diary, const NoteTable& notes,
                             const ContactStore& contacts) {
    SearchIndex index;
    for (std::size_t i = 0; i < events.events.size(); ++i) index.AddEvent(events.events[i], i);
    for (std::size_t i = 0; i < diary.size(); ++i) index.AddDiaryPage(diary[i], i);
    // The names of the notes above the current one, from the level steps.
    std::vector<std::string> above;
    std::string previous;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        const std::int32_t step = notes[i].levelStep;
        if (step > 0 && i > 0) {
            above.push_back(previous);
        } else {
            for (std::int32_t k = step; k < 0 && !above.empty(); ++k) above.pop_back();
        }
        std::string path;
        for (const std::string& name : above) path += (path.empty() ? "" : " / ") + name;
        index.AddNote(notes[i], path, i);
        previous = StoredTextToUtf8(notes[i].name);
    }
    for (std::size_t i = 0; i < contacts.contacts.size(); ++i) index.AddContact(contacts.contacts[i], i);
    return index;
}

}  // namespace veltrin
