#include "search/SearchQuery.h"

#include "search/Folding.h"

namespace veltrin {

SearchQuery ParseQuery(std::string_view typed) {
    // Folding makes typographic quotes plain and every blank one space.
    const std::string folded = FoldText(typed);
    SearchQuery query;
    std::string term;
    bool inPhrase = false;
    const auto finish = [&] {
        const std::size_t first = term.find_first_not_of(' ');
        if (first != std::string::npos)
            query.terms.push_back(term.substr(first, term.find_last_not_of(' ') + 1 - first));
        term.clear();
    };
    for (const char c : folded) {
        if (c == '"') {
            finish();
            inPhrase = !inPhrase;
        } else if (c == kFieldSeparator || (c == ' ' && !inPhrase)) {
            finish();
        } else {
            term += c;
        }
    }
    finish();
    return query;
}

}  // namespace veltrin
