#include "storage/Originals.h"

#include <cstdlib>
#include <sstream>

#include "storage/Backups.h"
#include "storage/EscapedField.h"
#include "storage/SafeFile.h"

namespace veltrin {

namespace {

const char* const kHeader = "veltrin originals 1";

}  // namespace

const Original* Originals::find(const std::string& kind, const std::string& key) const {
    const auto k = kinds_.find(kind);
    if (k == kinds_.end()) return nullptr;
    const auto o = k->second.find(key);
    return o == k->second.end() ? nullptr : &o->second;
}

bool Originals::empty() const {
    for (const auto& [kind, originals] : kinds_)
        if (!originals.empty()) return false;
    return true;
}

bool Originals::Load(const std::string& path, std::string& why) {
    kinds_.clear();
    if (!StateOfFile(path)) return true;
    std::string text;
    if (!ReadWholeFile(path, text, why)) return false;
    const std::string header = std::string(kHeader) + "\n";
    if (text.compare(0, header.size(), header) != 0) {
        why = path + " is not a file of kept originals";
        return false;
    }
    int number = 1;
    for (std::size_t at = header.size(); at < text.size();) {
        ++number;
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        // original <tab> kind <tab> key <tab> read at <tab> text
        std::size_t tabs[4];
        std::size_t from = at;
        bool whole = true;
        for (std::size_t& t : tabs) {
            t = text.find('\t', from);
            whole = whole && t != std::string::npos && t < end;
            if (!whole) break;
            from = t + 1;
        }
        std::string kind, key, read;
        Original o;
        const auto field = [&](std::size_t from, std::size_t to, std::string& out) {
            return UnescapedField(std::string_view(text).substr(from, to - from), out);
        };
        if (!whole || text.compare(at, tabs[0] - at, "original") != 0 || !field(tabs[0] + 1, tabs[1], kind) ||
            !field(tabs[1] + 1, tabs[2], key) || !field(tabs[2] + 1, tabs[3], read) ||
            !field(tabs[3] + 1, end, o.text) || read.empty() ||
            read.find_first_not_of("-0123456789") != std::string::npos) {
            why = path + " is damaged at line " + std::to_string(number);
            kinds_.clear();
            return false;
        }
        o.readAt = std::strtoll(read.c_str(), nullptr, 10);
        kinds_[kind][key] = std::move(o);
        at = end + 1;
    }
    return true;
}

bool Originals::Save(const std::string& path, std::int64_t now, std::string& why) const {
    std::string reason;
    if (!BackUpBeforeReplace(path, now, reason)) {
        why = "the kept originals could not be backed up (" + reason + ")";
        return false;
    }
    std::ostringstream out;
    out << kHeader << "\n";
    for (const auto& [kind, originals] : kinds_)
        for (const auto& [key, o] : originals)
            out << "original\t" << EscapedField(kind) << "\t" << EscapedField(key) << "\t" << o.readAt << "\t"
                << EscapedField(o.text) << "\n";
    return ReplaceFileSafely(path, BytesOf(out.str()), &why, nullptr, 0600);
}

}  // namespace veltrin
