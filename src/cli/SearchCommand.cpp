#include <CLI/CLI.hpp>

#include <memory>
#include <ostream>

#include "cli/DataFiles.h"
#include "search/SearchIndex.h"

namespace veltrin::cli {

namespace {

struct SearchOptions {
    std::string data;
    std::string kind;
    std::vector<std::string> words;
};

// A text on one line of the listing.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < ' ') c = ' ';
    return text;
}

int RunSearch(const SearchOptions& o, Output io) {
    std::optional<SearchKind> only;
    if (!o.kind.empty()) {
        only = SearchKindNamed(o.kind);
        if (!only)
            return BadArguments(io,
                                "unknown kind '" + o.kind + "' (expected events, diary, notes or contacts)");
    }
    // An argument the shell kept whole, blanks and all, is a phrase.
    std::string typed;
    for (const std::string& word : o.words) {
        const bool phrase =
            word.find_first_of(" \t") != std::string::npos && word.find('"') == std::string::npos;
        typed += (phrase ? "\"" + word + "\"" : word) + " ";
    }
    const SearchQuery query = ParseQuery(typed);
    if (query.empty()) return BadArguments(io, "nothing to search for");

    const struct {
        SearchKind kind;
        const DataFileKind* file;
    } kinds[] = {{SearchKind::Event, &kEventsFile},
                 {SearchKind::DiaryPage, &kDiaryFile},
                 {SearchKind::Note, &kNotesFile},
                 {SearchKind::Contact, &kContactsFile}};
    AnyDataFile files[4];
    for (int k = 0; k < 4; ++k) {
        if (only && *only != kinds[k].kind) continue;
        AnyDataFile& file = files[k];
        file.kind = kinds[k].file;
        const std::string path = o.data + "/" + file.kind->fileName;
        const LoadResult r = LoadArchiveFile(path, file.kind->signature, file.version, file.body());
        if (!r.ok()) return ReportLoadFailure(io, path, r, file.kind);
    }
    const SearchIndex index =
        BuildSearchIndex(files[0].events, files[1].diary, files[2].notes, files[3].contacts);
    const std::vector<SearchHit> hits = index.Find(query, only);
    for (const SearchHit& hit : hits) {
        const SearchEntry& entry = index.entry(hit.entry);
        const SearchSnippet s = index.Snippet(hit, query);
        std::string snippet = s.text;
        if (s.markEnd > s.markBegin) snippet.insert(s.markEnd, "]").insert(s.markBegin, "[");
        io.out << SearchKindName(entry.kind) << '\t' << OneLine(entry.title) << '\t' << OneLine(snippet)
               << '\n';
    }
    return hits.empty() ? 1 : 0;
}

}  // namespace

Command AddSearchCommand(CLI::App& program, Output io) {
    auto options = std::make_shared<SearchOptions>();
    CLI::App* parser = program.add_subcommand(
        "search",
        "Search the events, diary pages, notes and contacts of a data folder for words, in any order, "
        "case and accents aside; \"a phrase in quotes\" (or one argument with blanks) is found as a "
        "phrase. Prints one result a line: its kind, its title and the text around the hit, marked "
        "[like this], separated by tabs; title hits first. Exits 0 with results and 1 without. Writes "
        "nothing.");
    parser->add_option("--data", options->data, "The data folder that holds the data files")->required();
    parser->add_option("--kind", options->kind, "Search only events, diary, notes or contacts");
    parser->add_option("query", options->words, "The words to find")->required();
    return {parser, [options, io] { return RunSearch(*options, io); }};
}

}  // namespace veltrin::cli
