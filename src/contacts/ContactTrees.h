#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "contacts/ContactRecords.h"
#include "tree/GroupTreeModel.h"

namespace veltrin {

// The Contacts view's group tree from the group array; returns the group
// stored as current, or kNoNode.
NodeHandle BuildContactGroupTree(GroupTreeModel& tree, const std::vector<ContactGroup>& groups);
void FillContactGroups(const GroupTreeModel& tree, std::vector<ContactGroup>& groups);

// The contact list's image of every row: its one icon.
constexpr int kContactIcon = 0;

// Puts each field named by a column heading of the list into that column's
// cell of the row; column 0 gets editStyle.
void FillContactCells(GroupTreeModel& list, NodeHandle row, int editStyle);

// Moves the contacts of groupId out of the array into rows, in array order;
// the one stored as current is selected, else the first row. Returns the
// number of rows.
int TakeContactsIntoList(ContactStore& store, GroupTreeModel& list, std::int32_t groupId, int editStyle);

// Appends the list's rows to the contact array with the group's id; the
// selected row is marked current. With remove, the rows go.
void HandBackContactRows(ContactStore& store, GroupTreeModel& list, std::int32_t groupId, bool remove);

// The list's columns from the column table: one per shown entry, in table
// order, headed by its name at its width. Existing columns go first.
void BuildContactColumns(GroupTreeModel& list, const ContactColumns& columns);
// Each list column's present width into the entry of the same name.
void StoreColumnWidths(const GroupTreeModel& list, ContactColumns& columns);

// A new group's id, drawn again while a group of the tree already has it.
std::int32_t DrawUnusedContactGroupId(const GroupTreeModel& tree);

// Deletes the contacts of the array that belong to one of the groups.
void RemoveContactsOfGroups(ContactStore& store, const std::vector<std::int32_t>& groupIds);

// What the Contacts view holds while the program runs.
struct ContactViews {
    GroupTreeModel* groups = nullptr;  // the group tree
    GroupTreeModel* list = nullptr;    // the contacts of the selected group
};

// Adds the list's rows to the contact array, without taking them from the
// list, and rebuilds the groups from the tree: the contacts as a save writes
// them.
void GatherContacts(ContactStore& store, const ContactViews& views);

// Takes the list's column widths into the column table (matched by
// heading), then writes the contact array plus the list's rows and the group
// array rebuilt from the tree. The store is left as it was.
bool SaveContacts(ContactStore& store, ContactColumns& columns, const ContactViews& views);

}  // namespace veltrin
