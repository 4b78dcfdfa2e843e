// Feeds arbitrary bytes as a page's stored markup through the search: the
// text taken from it (plain and flowing), its folded form, and a query run over it with the
// snippet of each hit. A query term is taken from the input's first bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "documents/MarkupText.h"
#include "search/Folding.h"
#include "search/SearchIndex.h"
#include "storage/StoredText.h"

using namespace veltrin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = MarkupToText(StoredTextToUtf8(bytes));
    // The flowing form (export) never keeps more than the plain text has.
    if (MarkupToFlowingText(StoredTextToUtf8(bytes)).size() > text.size()) std::abort();
    std::vector<std::uint32_t> offsets;
    const std::string folded = FoldText(text, &offsets);
    // Every folded byte leads back into the text, in order.
    if (offsets.size() != folded.size()) std::abort();
    for (std::size_t i = 0; i < offsets.size(); ++i)
        if (offsets[i] >= text.size() || (i > 0 && offsets[i] < offsets[i - 1])) std::abort();

    DiaryPage page;
    page.title = bytes.substr(0, 8);
    page.html = bytes;
    SearchIndex index;
    index.AddDiaryPage(page, 0);
    const SearchQuery query = ParseQuery(bytes.substr(0, 3) + " " + folded.substr(folded.size() / 2, 2));
    for (const SearchHit& hit : index.Find(query)) {
        const SearchSnippet s = index.Snippet(hit, query);
        if (s.markBegin > s.markEnd || s.markEnd > s.text.size()) std::abort();
    }
    return 0;
}
