#pragma once

#include <cstddef>
#include <cstdint>

#include "contacts/ContactRecords.h"
#include "tree/GroupTreeModel.h"

namespace veltrin {

// Where the views hold what a result names, to open it there. The records
// searched were gathered from the views in the order a save takes them.

// The page or note a record came from: the record-th node of the tree in
// pre-order (for the Diary list, its record-th page); kNoNode past the end.
NodeHandle NodeOfRecord(const GroupTreeModel& tree, std::size_t record);

// The group node with this id in the Events or the Contacts tree; kNoNode
// for none.
NodeHandle EventGroupNode(const GroupTreeModel& tree, std::int32_t groupId);
NodeHandle ContactGroupNode(const GroupTreeModel& tree, std::int32_t groupId);

// The list row of the event with this id, or of a contact with these fields.
NodeHandle EventRowOf(const GroupTreeModel& list, std::int32_t eventId);
NodeHandle ContactRowOf(const GroupTreeModel& list, const ContactFieldTexts& fields);

}  // namespace veltrin
