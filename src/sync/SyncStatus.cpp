#include "sync/SyncStatus.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "storage/EscapedField.h"
#include "storage/SafeFile.h"

namespace veltrin {

namespace {

const char* const kHeader = "veltrin sync status 1";

// The fields of a line; none when one is not written as a field is.
std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.emplace_back();
        if (!UnescapedField(std::string_view(line).substr(start, tab - start), fields.back())) return {};
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

}  // namespace

bool SyncStatus::Load(const std::string& path, std::string& why) {
    collections_.clear();
    tokens_.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (!StateOfFile(path)) return true;
        why = path + " cannot be read";
        return false;
    }
    std::string line;
    if (!std::getline(in, line) || line != kHeader) {
        why = path + " is not a sync status file";
        return false;
    }
    std::map<std::string, SyncEntry>* current = nullptr;
    int number = 1;
    while (std::getline(in, line)) {
        ++number;
        if (line.empty()) continue;
        const std::vector<std::string> f = Fields(line);
        if (!f.empty() && f[0] == "collection" && (f.size() == 2 || f.size() == 3)) {
            current = &collections_[f[1]];
            if (f.size() == 3) tokens_[f[1]] = f[2];
        } else if (!f.empty() && f[0] == "item" && f.size() == 6 && current) {
            (*current)[f[2]] = SyncEntry{f[1], f[2], f[3], f[4], f[5]};
        } else {
            why = path + " is damaged at line " + std::to_string(number);
            collections_.clear();
            tokens_.clear();
            return false;
        }
    }
    return true;
}

bool SyncStatus::Save(const std::string& path, std::string& why) const {
    std::ostringstream out;
    out << kHeader << "\n";
    for (const auto& [url, entries] : collections_) {
        out << "collection\t" << EscapedField(url);
        const auto token = tokens_.find(url);
        if (token != tokens_.end() && !token->second.empty()) out << "\t" << EscapedField(token->second);
        out << "\n";
        for (const auto& [href, e] : entries)
            out << "item\t" << EscapedField(e.key) << "\t" << EscapedField(e.href) << "\t"
                << EscapedField(e.etag) << "\t" << EscapedField(e.hash) << "\t" << EscapedField(e.uid)
                << "\n";
    }
    const std::string text = out.str();
    return ReplaceFileSafely(path, BytesOf(text), &why);
}

}  // namespace veltrin
