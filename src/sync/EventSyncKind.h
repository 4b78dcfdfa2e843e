#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "events/EventRecords.h"
#include "sync/KeptOriginals.h"
#include "sync/SyncKind.h"

namespace veltrin {

// Events as calendar items, one VEVENT each, keyed "event:<eventId>".
class EventSyncKind : public SyncKind {
public:
    // originals: what other programs wrote of the events that came from them,
    // kept up to date as items come and go; null keeps none.
    EventSyncKind(EventStore& store, std::int64_t now, Originals* originals = nullptr)
        : store_(store), now_(now), originals_(originals, "events", now) {}

    const char* Noun() const override { return "events"; }
    const char* ContentType() const override { return "text/calendar; charset=utf-8"; }
    bool AddressBook() const override { return false; }
    std::map<std::string, std::string> LocalHashes() const override;
    std::string NewName(const std::string& key) const override;
    std::string Text(const std::string& key, const std::string& uid) const override;
    Staged Read(const std::string& text) const override;
    Staged StageAdd(const std::string& text, bool conflictCopy) override;
    std::string StageReplace(const std::string& key, const std::string& text) override;
    void StageRemove(const std::string& key) override;
    bool Holds(const std::string& text) const override;
    std::string KeyOfUid(const std::string& uid) const override;
    bool HasStaged() const override { return !staged_.empty(); }
    void Apply() override;
    void Sent(const std::string& key, const std::string& text) override;
    // Whether the kept originals changed: they are stored with the data.
    bool OriginalsChanged() const { return originals_.Changed(); }

private:
    struct Change {
        enum { Add, Replace, Remove } what;
        std::int32_t id;
        EventItem event;
        std::string groupPath;
    };
    const EventItem* Find(std::int32_t id) const;
    std::string GroupPathOf(std::int32_t groupId) const;

    EventStore& store_;
    std::int64_t now_;
    std::vector<Change> staged_;
    KeptOriginals originals_;
};

// The hash of what travels of an event: everything the calendar item
// carries but the due bookkeeping (next due, last check), which is this
// machine's own. Texts count by what they say, not by how they are stored.
std::string EventSyncHash(const EventItem& event, const std::string& groupPath);

}  // namespace veltrin
