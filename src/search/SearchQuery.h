#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace veltrin {

// What a user typed, in folded form: each word, and each phrase in double
// quotes, is one term; a result holds every term, in any order.
struct SearchQuery {
    std::vector<std::string> terms;

    bool empty() const { return terms.empty(); }
};

// A quote left open runs to the end of the text; an empty phrase is dropped.
SearchQuery ParseQuery(std::string_view typed);

}  // namespace veltrin
