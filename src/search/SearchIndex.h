#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "contacts/ContactRecords.h"
#include "documents/DocumentRecords.h"
#include "events/EventRecords.h"
#include "search/SearchQuery.h"

namespace veltrin {

// In the order results of the same rank are listed.
enum class SearchKind { Event, DiaryPage, Note, Contact };

// "events", "diary", "notes" or "contacts", as the command line names them.
const char* SearchKindName(SearchKind kind);
std::optional<SearchKind> SearchKindNamed(const std::string& name);

// What a result points at: the record's place in the list it was added
// from, and its title as shown (UTF-8).
struct SearchEntry {
    SearchKind kind = SearchKind::Event;
    std::size_t record = 0;
    std::string title;
    std::int32_t date = 0;  // a diary page's day; 0 for the others
};

struct SearchHit {
    std::size_t entry = 0;
    int titleTerms = 0;  // how many terms the title holds
};

// A piece of the text around a hit, on one line, with the hit at
// [markBegin, markEnd). Without a hit in the text, its beginning, unmarked.
struct SearchSnippet {
    std::string text;
    std::size_t markBegin = 0;
    std::size_t markEnd = 0;
};

// The texts of every record in folded form, prepared once, so that a query
// is one scan. The records themselves are not kept: a result names its record
// by kind and place.
class SearchIndex {
public:
    // Event name as title, its comment as text.
    void AddEvent(const EventItem& event, std::size_t record);
    // The page's title as title, the text of its page as text.
    void AddDiaryPage(const DiaryPage& page, std::size_t record);
    // The note's name as title (shown after its path, the names of the notes
    // above it, UTF-8), the text of its page as text.
    void AddNote(const NoteItem& note, const std::string& path, std::size_t record);
    // The display name as title, the other 28 fields as text.
    void AddContact(const ContactItem& contact, std::size_t record);

    // Every entry that holds all terms, most title terms first, then by
    // kind, then the newest diary page first, then in the order added.
    std::vector<SearchHit> Find(const SearchQuery& query, std::optional<SearchKind> only = {}) const;

    SearchSnippet Snippet(const SearchHit& hit, const SearchQuery& query) const;

    const SearchEntry& entry(std::size_t index) const { return entries_[index]; }
    std::size_t size() const { return entries_.size(); }
    // The bytes a query scans.
    std::size_t foldedSize() const { return folded_.size(); }

private:
    void add(SearchEntry entry, const std::string& title, std::string text);

    std::vector<SearchEntry> entries_;
    std::vector<std::string> texts_;  // each entry's text (UTF-8), for snippets
    // Each entry as title, kFieldSeparator, text, '\0'; no term holds either
    // byte, so no hit spans two entries or a title and its text.
    std::string folded_;
    std::vector<std::size_t> starts_;  // where each entry begins in folded_
    std::vector<std::size_t> titleEnds_;
};

// The four kinds of records as the files hold them; note paths follow the
// notes' level steps.
SearchIndex BuildSearchIndex(const EventStore& events, const DiaryTable& diary, const NoteTable& notes,
                             const ContactStore& contacts);

}  // namespace veltrin
