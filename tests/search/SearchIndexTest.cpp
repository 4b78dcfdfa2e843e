#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/SearchIndex.h"
#include "search/SearchQuery.h"

using namespace veltrin;

namespace {

EventItem Event(const std::string& name, const std::string& comment) {
    EventItem e;
    e.name = name;
    e.details.comment = comment;
    return e;
}

DiaryPage Page(const std::string& title, const std::string& html, std::int32_t date) {
    DiaryPage p;
    p.title = title;
    p.html = html;
    p.date = date;
    return p;
}

NoteItem Note(std::int32_t levelStep, const std::string& name, const std::string& html) {
    NoteItem n;
    n.levelStep = levelStep;
    n.name = name;
    n.html = html;
    return n;
}

ContactItem Contact(std::initializer_list<std::pair<const char*, std::string>> fields) {
    ContactItem c;
    for (const auto& [name, value] : fields)
        c.fields.set(static_cast<std::size_t>(ContactFieldRecordIndex(name)), value);
    return c;
}

// Each result as kind and title.
std::vector<std::string> Titles(const SearchIndex& index, const std::string& typed,
                                std::optional<SearchKind> only = {}) {
    std::vector<std::string> titles;
    for (const SearchHit& hit : index.Find(ParseQuery(typed), only)) {
        const SearchEntry& e = index.entry(hit.entry);
        titles.push_back(std::string(SearchKindName(e.kind)) + ": " + e.title);
    }
    return titles;
}

using Titles_ = std::vector<std::string>;

}  // namespace

TEST(SearchQuery, WordsAndPhrases) {
    EXPECT_EQ(ParseQuery("  Café   au LAIT ").terms, (Titles_{"cafe", "au", "lait"}));
    EXPECT_EQ(ParseQuery("tea \"Old  Friend\" walk").terms, (Titles_{"tea", "old friend", "walk"}));
    // Typographic quotes work as plain ones; an open quote runs to the end.
    EXPECT_EQ(ParseQuery("\xE2\x80\x9Cred door\xE2\x80\x9D \"blue gate").terms,
              (Titles_{"red door", "blue gate"}));
    EXPECT_TRUE(ParseQuery("  \"\"  ").empty());
}

TEST(SearchIndex, AllWordsMustMatchInAnyOrder) {
    SearchIndex index;
    index.AddEvent(Event("Dentist", "Bring the insurance card"), 0);
    index.AddEvent(Event("Card shop", "Birthday for Anna"), 1);
    EXPECT_EQ(Titles(index, "card insurance"), (Titles_{"events: Dentist"}));
    EXPECT_EQ(Titles(index, "CARD"), (Titles_{"events: Card shop", "events: Dentist"}));
    EXPECT_EQ(Titles(index, "card zebra"), Titles_{});
    EXPECT_EQ(Titles(index, ""), Titles_{});
}

TEST(SearchIndex, APhraseMatchesOnlyAsAPhrase) {
    SearchIndex index;
    index.AddEvent(Event("One", "the old\n  friend came"), 0);
    index.AddEvent(Event("Two", "a friend, old and wise"), 1);
    EXPECT_EQ(Titles(index, "\"old friend\""), (Titles_{"events: One"}));
    EXPECT_EQ(Titles(index, "old friend"), (Titles_{"events: One", "events: Two"}));
}

TEST(SearchIndex, AccentsAndCaseDoNotMatterAlsoInWindowsText) {
    SearchIndex index;
    index.AddEvent(Event("Caf\xE9 Central", ""), 0);  // as an old file holds it
    index.AddEvent(Event("CAFÉ", ""), 1);
    index.AddEvent(Event("Cafeteria", ""), 2);
    EXPECT_EQ(Titles(index, "cafe"), (Titles_{"events: Café Central", "events: CAFÉ", "events: Cafeteria"}));
    EXPECT_EQ(Titles(index, "Café"), Titles(index, "cafe"));
}

TEST(SearchIndex, DocumentsMatchTheirTextNotTheirMarkup) {
    SearchIndex index;
    index.AddDiaryPage(Page("2024, March 01",
                            "<p class=\"garden\">Tea with Ma&iuml;a</p>"
                            "<script>var walk;</script><img alt=walk>",
                            1709247600),
                       0);
    EXPECT_EQ(Titles(index, "maia"), (Titles_{"diary: 2024, March 01"}));
    EXPECT_EQ(Titles(index, "garden"), Titles_{});
    EXPECT_EQ(Titles(index, "walk"), Titles_{});
    EXPECT_EQ(Titles(index, "iuml"), Titles_{});
    // Words of two paragraphs are not one phrase across the tag.
    SearchIndex two;
    two.AddDiaryPage(Page("t", "<p>red</p><p>door</p>", 0), 0);
    EXPECT_EQ(Titles(two, "\"red door\"").size(), 1u);
    EXPECT_EQ(Titles(two, "reddoor").size(), 0u);
}

TEST(SearchIndex, EveryContactFieldIsSearchedButNotAcrossFields) {
    std::vector<std::pair<const char*, std::string>> all;
    SearchIndex index;
    std::size_t n = 0;
    for (const ContactField& field : ContactFields()) {
        ContactItem c = Contact({{"Name", "Person " + std::to_string(n)}});
        c.fields.set(static_cast<std::size_t>(field.recordIndex), std::string("needle ") + field.name);
        index.AddContact(c, n++);
    }
    EXPECT_EQ(Titles(index, "needle").size(), 28u + 1u);
    EXPECT_EQ(Titles(index, "\"needle office location\""), (Titles_{"contacts: Person 27"}));
    // The display name is the title: a contact whose Name field was set is
    // titled by it.
    EXPECT_EQ(Titles(index, "\"needle name\""), (Titles_{"contacts: needle Name"}));

    SearchIndex fields;
    fields.AddContact(Contact({{"Name", "Ann"}, {"Home City", "Berlin"}, {"Home Country", "Germany"}}), 0);
    EXPECT_EQ(Titles(fields, "berlin germany").size(), 1u);
    EXPECT_EQ(Titles(fields, "\"berlin germany\"").size(), 0u);
    EXPECT_EQ(Titles(fields, "\"ann berlin\"").size(), 0u);
}

TEST(SearchIndex, TitleHitsComeFirstThenTheNewestPage) {
    SearchIndex index;
    index.AddEvent(Event("Picnic", "bring the lemonade"), 0);
    index.AddDiaryPage(Page("2024, May 01", "<p>lemonade on the porch</p>", 1714514400), 0);
    index.AddDiaryPage(Page("2024, June 01", "<p>more lemonade</p>", 1717192800), 1);
    index.AddDiaryPage(Page("2023, June 01", "<p>lemonade</p>", 1685570400), 2);
    index.AddNote(Note(0, "Lemonade recipe", "<p>lemons, sugar</p>"), "Kitchen", 0);
    index.AddContact(Contact({{"Name", "Lemonade Stand"}}), 0);
    EXPECT_EQ(Titles(index, "lemonade"),
              (Titles_{"notes: Kitchen / Lemonade recipe", "contacts: Lemonade Stand", "events: Picnic",
                       "diary: 2024, June 01", "diary: 2024, May 01", "diary: 2023, June 01"}));
    EXPECT_EQ(Titles(index, "lemonade", SearchKind::DiaryPage),
              (Titles_{"diary: 2024, June 01", "diary: 2024, May 01", "diary: 2023, June 01"}));
    // More terms in the title rank higher.
    SearchIndex more;
    more.AddEvent(Event("Lemonade", "picnic stand"), 0);
    more.AddEvent(Event("Lemonade picnic", "stand"), 1);
    EXPECT_EQ(Titles(more, "picnic lemonade"), (Titles_{"events: Lemonade picnic", "events: Lemonade"}));
}

TEST(SearchIndex, ResultsNameTheirRecord) {
    const EventStore events{{}, {Event("a", ""), Event("tea", "")}};
    const DiaryTable diary = {Page("p0", "", 0), Page("p1", "tea", 5)};
    const NoteTable notes = {Note(0, "A", ""), Note(1, "A1", ""), Note(1, "A1a", "tea"),
                             Note(-2, "B", "tea")};
    ContactStore contacts;
    contacts.contacts = {Contact({{"Name", "x"}}), Contact({{"Name", "y"}}), Contact({{"Notes", "tea"}})};
    const SearchIndex index = BuildSearchIndex(events, diary, notes, contacts);
    std::vector<std::pair<SearchKind, std::size_t>> found;
    for (const SearchHit& hit : index.Find(ParseQuery("tea")))
        found.emplace_back(index.entry(hit.entry).kind, index.entry(hit.entry).record);
    EXPECT_EQ(found, (std::vector<std::pair<SearchKind, std::size_t>>{{SearchKind::Event, 1},
                                                                      {SearchKind::DiaryPage, 1},
                                                                      {SearchKind::Note, 2},
                                                                      {SearchKind::Note, 3},
                                                                      {SearchKind::Contact, 2}}));
    EXPECT_EQ(Titles(index, "a1a"), (Titles_{"notes: A / A1 / A1a"}));
    EXPECT_EQ(Titles(index, "\"b\"", SearchKind::Note), (Titles_{"notes: B"}));
}

TEST(SearchIndex, SnippetsMarkTheHitInTheShownText) {
    SearchIndex index;
    const std::string before(80, 'x');
    index.AddDiaryPage(Page("t", "<p>" + before + " We met at the Caf&eacute;\n\nCentral today.</p>", 0), 0);
    index.AddEvent(Event("Café", "no hit here"), 0);
    index.AddEvent(Event("Tea",
                         "stra\xDF"
                         "e"),
                   1);
    const SearchQuery query = ParseQuery("cafe");
    const std::vector<SearchHit> hits = index.Find(query);
    ASSERT_EQ(hits.size(), 2u);
    const SearchSnippet page = index.Snippet(hits[1], query);
    EXPECT_EQ(page.text, "…We met at the Café Central today.");
    EXPECT_EQ(page.text.substr(page.markBegin, page.markEnd - page.markBegin), "Café");
    // A hit in the title only: the text's beginning, unmarked.
    const SearchSnippet title = index.Snippet(hits[0], query);
    EXPECT_EQ(title.text, "no hit here");
    EXPECT_EQ(title.markBegin, title.markEnd);
    // A hit inside a letter that folds to two marks the whole letter.
    const SearchQuery s = ParseQuery("stras");
    const SearchSnippet strasse = index.Snippet(index.Find(s).at(0), s);
    EXPECT_EQ(strasse.text.substr(strasse.markBegin, strasse.markEnd - strasse.markBegin), "straß");
}
