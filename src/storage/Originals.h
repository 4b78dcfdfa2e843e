#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace veltrin {

// What other programs wrote of the records that came from them: each
// record's item exactly as it came (every component, zone, parameter and
// property we do not use), so that what goes back is that item with only the
// user's changes in it. Kept beside the data in data/sync/originals, never
// in the data files, whose layouts are fixed.
inline constexpr const char* kOriginalsFileName = "originals";

struct Original {
    std::string text;
    std::int64_t readAt = 0;  // the moment it was read, which reads it again the same
};

class Originals {
public:
    // By kind ("events", "contacts", "journals") and then by record key.
    std::map<std::string, Original>& of(const std::string& kind) { return kinds_[kind]; }
    const Original* find(const std::string& kind, const std::string& key) const;
    bool empty() const;

    // A missing file holds none; a damaged one is an error, since patching
    // without it would write other programs' items over from our fields.
    bool Load(const std::string& path, std::string& why);
    // Through the safe store, after the day's backup of the file.
    bool Save(const std::string& path, std::int64_t now, std::string& why) const;

private:
    std::map<std::string, std::map<std::string, Original>> kinds_;
};

}  // namespace veltrin
