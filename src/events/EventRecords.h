#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "events/EventSchedule.h"
#include "storage/Archive.h"

namespace veltrin {

// One folder of the Events view's group tree.
struct EventGroup {
    std::int32_t levelStep = 0;
    std::string name = "New event group";
    std::int32_t iconIndex = 0;
    std::int32_t bold = 0;
    std::int32_t isCurrent = 0;
    std::int32_t groupId = 0;

    void Transfer(Archive& ar);
    static constexpr std::size_t kMinStoredSize = 5 * 4 + 1;
};

// What an event row carries as its data.
struct EventDetails {
    std::int32_t groupId = 0;
    std::int32_t eventId = 0;
    std::string comment;
    std::int32_t playSound = 0;
    std::int32_t showMessage = 0;
    std::int32_t runFile = 0;
    std::string filePath;
    EventSchedule schedule;
};

// One event: its row's attributes and its details.
struct EventItem {
    std::int32_t actual = 0;
    std::string name = "New event";
    std::int32_t iconIndex = 0;
    std::int32_t bold = 0;
    std::int32_t priority = 1;
    std::int32_t isCurrent = 0;
    EventDetails details;

    // File order: isCurrent comes before priority there.
    void Transfer(Archive& ar);
    static constexpr std::size_t kMinStoredSize = 20 * 4 + 4 * 1;
};

// The application-wide groups and events not held by a list.
struct EventStore {
    std::vector<EventGroup> groups;
    std::vector<EventItem> events;
};

// Loading (save == false) appends the file's records to the store; storing
// writes the whole store. True on success; every failure has been reported.
bool SerializeEventsFile(EventStore& store, bool save);

// The body of Events.dat after its header, for tools that read a file by path.
void TransferEventStore(Archive& ar, EventStore& store);

}  // namespace veltrin
