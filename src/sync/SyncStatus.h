#pragma once

#include <map>
#include <string>
#include <vector>

namespace veltrin {

// What was true of one item when it was last in step on both sides.
struct SyncEntry {
    std::string key;   // the local record ("event:123")
    std::string href;  // its path on the server
    std::string etag;
    std::string hash;  // of the local fields that travel
    std::string uid;   // the UID it has on the server
};

// Every collection's items, by collection URL and then by href. Kept in
// data/sync/status as text, one item a line.
class SyncStatus {
public:
    std::map<std::string, SyncEntry>& of(const std::string& collection) { return collections_[collection]; }
    // The sync-collection token the entries are up to; empty: list everything.
    std::string& token(const std::string& collection) { return tokens_[collection]; }

    // A missing file is an empty status; a damaged one is an error, since
    // syncing without it would take every item for new.
    bool Load(const std::string& path, std::string& why);
    bool Save(const std::string& path, std::string& why) const;

private:
    std::map<std::string, std::map<std::string, SyncEntry>> collections_;
    std::map<std::string, std::string> tokens_;
};

}  // namespace veltrin
