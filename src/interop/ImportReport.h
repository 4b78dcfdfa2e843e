#pragma once

#include <string>

namespace veltrin {

// What an import did with the items of a file.
struct ImportReport {
    int added = 0;
    int alreadyThere = 0;
    int changedKind = 0;  // added, but as a Once event: the rule did not fit
    int skipped = 0;      // not a kind of item Veltrin keeps, or without what it needs
    int photosSkipped = 0;

    // "added 3, already there 1, changed kind 0, skipped 0" and the photos when there were any.
    std::string Summary() const {
        std::string s = "added " + std::to_string(added) + ", already there " + std::to_string(alreadyThere) +
                        ", changed kind " + std::to_string(changedKind) + ", skipped " +
                        std::to_string(skipped);
        if (photosSkipped) s += ", photos skipped " + std::to_string(photosSkipped);
        return s;
    }
    // "Events: added 3, ...": the report of one kind as a sentence.
    std::string Sentence(const std::string& what) const { return what + ": " + Summary() + "."; }
};

}  // namespace veltrin
