// The search over all four kinds of records, in one run, on 10 000 events,
// 3 000 diary pages, 1 000 notes and 50 000 contacts holding about 20 MB of
// text: a query against a bare memmem over a folded copy of the same texts,
// and the first query on a freshly prepared index against the same query warm.

#include <string.h>

#include <cstdio>
#include <string>
#include <vector>

#include "SampleData.h"
#include "Target.h"
#include "documents/MarkupText.h"
#include "search/Folding.h"
#include "search/SearchIndex.h"
#include "storage/StoredText.h"

using namespace veltrin;

namespace {

constexpr int kEvents = 10000;
constexpr int kContacts = 50000;
constexpr int kDiaryPages = 3000;
constexpr int kNotes = 1000;
constexpr std::size_t kTextBytes = 20'000'000;
// Two words the data holds in a few records only, as a remembered word is.
const char* const kQuery = "ljubljana train";

struct Data {
    EventStore events = bench::makeEvents(kEvents);
    ContactStore contacts = bench::makeContacts(kContacts);
    NoteTable notes = bench::makeNotes(kNotes, 24);
    DiaryTable diary;
    std::size_t bytes = 0;

    Data() {
        for (std::size_t i = 7; i < notes.size(); i += 200)
            notes[i].html += "<p>The night train to Ljubljana leaves at ten.</p>";
        for (std::size_t i = 0; i < contacts.contacts.size(); i += 10000)
            contacts.contacts[i].fields.set(static_cast<std::size_t>(ContactFieldRecordIndex("Home City")),
                                            "Ljubljana");
        contacts.contacts[20000].fields.set(static_cast<std::size_t>(ContactFieldRecordIndex("Notes")),
                                            "Met on the train");
        for (const EventItem& e : events.events) bytes += e.name.size() + e.details.comment.size();
        for (const NoteItem& n : notes) bytes += n.name.size() + n.html.size();
        for (const ContactItem& c : contacts.contacts)
            for (int f = 0; f < kContactFieldCount; ++f)
                bytes += c.fields[static_cast<std::size_t>(f)].size();
        // The pages take the rest of the 20 MB.
        diary = bench::makeDiary(kDiaryPages, (kTextBytes - bytes) / kDiaryPages);
        for (std::size_t i = 0; i < diary.size(); i += 150)
            diary[i].html += "<p>Took the train to Lju&shy;bljana? No: to Ljubljana, by train.</p>";
        for (const DiaryPage& p : diary) bytes += p.title.size() + p.html.size();
    }
};

// The same texts in folded form, one after the other: what a bare scan reads.
std::string FoldedCopy(const Data& d) {
    std::string all;
    const auto add = [&all](const std::string& text) {
        all += FoldText(text);
        all += '\n';
    };
    for (const EventItem& e : d.events.events) add(StoredTextToUtf8(e.name + "\n" + e.details.comment));
    for (const DiaryPage& p : d.diary) add(p.title + "\n" + MarkupToText(StoredTextToUtf8(p.html)));
    for (const NoteItem& n : d.notes) add(n.name + "\n" + MarkupToText(StoredTextToUtf8(n.html)));
    for (const ContactItem& c : d.contacts.contacts)
        for (int f = 0; f < kContactFieldCount; ++f)
            add(StoredTextToUtf8(std::string(c.fields[static_cast<std::size_t>(f)])));
    return all;
}

std::size_t CountOccurrences(const std::string& haystack, const std::string& needle) {
    std::size_t count = 0;
    const char* at = haystack.data();
    const char* const end = haystack.data() + haystack.size();
    while (const void* hit = ::memmem(at, static_cast<std::size_t>(end - at), needle.data(), needle.size())) {
        ++count;
        at = static_cast<const char*>(hit) + 1;
    }
    return count;
}

SearchIndex Build(const Data& d) { return BuildSearchIndex(d.events, d.diary, d.notes, d.contacts); }

}  // namespace

int main(int argc, char** argv) {
    static const Data data;
    static const SearchIndex index = Build(data);
    static const std::string folded = FoldedCopy(data);
    static const SearchQuery query = ParseQuery(kQuery);
    const std::string& lead = query.terms[0];
    std::printf("data set: %.1f MB of stored text, %zu records, %.1f MB folded\n",
                static_cast<double>(data.bytes) / 1e6, index.size(),
                static_cast<double>(index.foldedSize()) / 1e6);
    std::printf("query \"%s\": %zu results; the bare scan reads %.1f MB and finds \"%s\" %zu times\n", kQuery,
                index.Find(query).size(), static_cast<double>(folded.size()) / 1e6, lead.c_str(),
                CountOccurrences(folded, lead));

    // The first query on a freshly prepared index, and the index's preparation.
    std::vector<double> firsts, builds;
    for (int run = 0; run < 3; ++run) {
        double t0 = bench::threadSeconds();
        const SearchIndex fresh = Build(data);
        double t1 = bench::threadSeconds();
        const std::size_t found = fresh.Find(query).size();
        double t2 = bench::threadSeconds();
        if (found == 0) return 1;
        builds.push_back(t1 - t0);
        firsts.push_back(t2 - t1);
    }
    std::printf("preparing the index: %.0f ms (fastest of 3)\n", bench::fastest(builds) * 1e3);

    auto shape = [](benchmark::internal::Benchmark* b) { b->VELTRIN_FASTEST(7); };
    shape(benchmark::RegisterBenchmark("search 20 MB", [](benchmark::State& state) {
        for (auto _ : state) {
            const double t0 = bench::threadSeconds();
            benchmark::DoNotOptimize(index.Find(query));
            state.SetIterationTime(bench::threadSeconds() - t0);
        }
    }));
    shape(benchmark::RegisterBenchmark("memmem over the folded text", [&lead](benchmark::State& state) {
        for (auto _ : state) {
            const double t0 = bench::threadSeconds();
            benchmark::DoNotOptimize(CountOccurrences(folded, lead));
            state.SetIterationTime(bench::threadSeconds() - t0);
        }
    }));
    // What a refresh of the result list costs when nearly every record
    // matches (one typed letter, a common word): all results ranked, and
    // snippets for the first screenful.
    static const char* const kBroad[] = {"e", "the"};
    for (const char* typed : kBroad)
        shape(benchmark::RegisterBenchmark(
            (std::string("refresh for ") + typed).c_str(), [typed](benchmark::State& state) {
                const SearchQuery broad = ParseQuery(typed);
                std::size_t found = 0;
                for (auto _ : state) {
                    const double t0 = bench::threadSeconds();
                    const std::vector<SearchHit> hits = index.Find(broad);
                    for (std::size_t i = 0; i < hits.size() && i < 50; ++i)
                        benchmark::DoNotOptimize(index.Snippet(hits[i], broad));
                    state.SetIterationTime(bench::threadSeconds() - t0);
                    found = hits.size();
                }
                state.counters["results"] = static_cast<double>(found);
            }));
    const auto t = bench::runAll(argc, argv);
    const auto best = [&t](const std::string& run) { return bench::bestTime(t, run); };
    const double search = best("search 20 MB"), scan = best("memmem over the folded text"),
                 refreshLetter = best("refresh for e"), refreshWord = best("refresh for the");
    if (search <= 0 || scan <= 0 || refreshLetter <= 0 || refreshWord <= 0) return 1;
    const double first = bench::fastest(firsts) * 1e3;
    std::printf(
        "first query %.2f ms, warm %.2f ms, bare scan %.2f ms; a result list for \"e\" %.2f ms, for "
        "\"the\" %.2f ms (one frame is 16.7 ms)\n",
        first, search, scan, refreshLetter, refreshWord);
    bool ok =
        bench::reportTarget("search 20 MB vs plain substring scan of the folded text", search / scan, 3);
    ok = bench::reportTarget("search first keystroke vs same search warm", first / search, 2) && ok;
    return ok ? 0 : 1;
}
