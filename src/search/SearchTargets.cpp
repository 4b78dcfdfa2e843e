#include "search/SearchTargets.h"

#include "events/EventTrees.h"
#include "tree/LevelSteps.h"

namespace veltrin {

namespace {

template <class Matches>
NodeHandle FirstNode(const GroupTreeModel& tree, Matches matches) {
    NodeHandle found = kNoNode;
    WalkLevelSteps(tree, [&](NodeHandle node, std::int32_t) {
        if (found == kNoNode && matches(node)) found = node;
    });
    return found;
}

}  // namespace

NodeHandle NodeOfRecord(const GroupTreeModel& tree, std::size_t record) {
    std::size_t index = 0;
    return FirstNode(tree, [&](NodeHandle) { return index++ == record; });
}

NodeHandle EventGroupNode(const GroupTreeModel& tree, std::int32_t groupId) {
    return FirstNode(tree, [&](NodeHandle node) { return tree.GetGroupId(node) == groupId; });
}

NodeHandle ContactGroupNode(const GroupTreeModel& tree, std::int32_t groupId) {
    return FirstNode(tree, [&](NodeHandle node) { return tree.GetContactGroupId(node) == groupId; });
}

NodeHandle EventRowOf(const GroupTreeModel& list, std::int32_t eventId) {
    return FirstNode(list, [&](NodeHandle row) {
        const EventDetails* details = list.PeekEventRecord<EventDetails>(row);
        return details && details->eventId == eventId;
    });
}

NodeHandle ContactRowOf(const GroupTreeModel& list, const ContactFieldTexts& fields) {
    return FirstNode(
        list, [&](NodeHandle row) { return list.GetContactRecord<ContactItem>(row).fields == fields; });
}

}  // namespace veltrin
