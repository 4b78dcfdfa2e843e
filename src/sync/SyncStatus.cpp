#include "sync/SyncStatus.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "storage/SafeFile.h"

namespace veltrin {

namespace {

const char* const kHeader = "veltrin sync status 1";

std::string Escaped(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::string Unescaped(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        const char c = s[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return out;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(Unescaped(line.substr(start, tab - start)));
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
        if (f[0] == "collection" && (f.size() == 2 || f.size() == 3)) {
            current = &collections_[f[1]];
            if (f.size() == 3) tokens_[f[1]] = f[2];
        } else if (f[0] == "item" && f.size() == 6 && current) {
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
        out << "collection\t" << Escaped(url);
        const auto token = tokens_.find(url);
        if (token != tokens_.end() && !token->second.empty()) out << "\t" << Escaped(token->second);
        out << "\n";
        for (const auto& [href, e] : entries)
            out << "item\t" << Escaped(e.key) << "\t" << Escaped(e.href) << "\t" << Escaped(e.etag) << "\t"
                << Escaped(e.hash) << "\t" << Escaped(e.uid) << "\n";
    }
    const std::string text = out.str();
    return ReplaceFileSafely(path, BytesOf(text), &why);
}

}  // namespace veltrin
