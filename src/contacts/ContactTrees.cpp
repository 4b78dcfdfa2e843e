#include "contacts/ContactTrees.h"

#include <algorithm>

#include "controls/GroupTreeCommands.h"
#include "controls/TreeRecords.h"
#include "storage/Identifier.h"

namespace veltrin {

NodeHandle BuildContactGroupTree(GroupTreeModel& tree, const std::vector<ContactGroup>& groups) {
    NodeHandle current = kNoNode;
    BuildTreeFromRecords(tree, groups, &current, [&tree](NodeHandle node, const ContactGroup& g) {
        tree.SetContactGroupId(node, g.groupId);
    });
    return current;
}

void FillContactGroups(const GroupTreeModel& tree, std::vector<ContactGroup>& groups) {
    RecordsFromTree(tree, tree.GetSelectedItem(), groups,
                    [&tree](NodeHandle node, ContactGroup& g) { g.groupId = tree.GetContactGroupId(node); });
}

namespace {

// The field each column shows, looked up once for all rows; -1 for a heading
// that names no field.
std::vector<int> ColumnFields(const GroupTreeModel& list) {
    std::vector<int> fields;
    for (int c = 0; c < list.ColumnCount(); ++c)
        fields.push_back(ContactFieldRecordIndex(list.Column(c)->title));
    return fields;
}

void FillCells(GroupTreeModel& list, NodeHandle row, const ContactItem& item, const std::vector<int>& fields,
               int editStyle) {
    // Either order fills the same cells; from the last one measured faster.
    for (std::size_t c = fields.size(); c-- > 0;)
        list.SetItemText(
            row, static_cast<int>(c),
            fields[c] >= 0 ? std::string(item.fields[static_cast<std::size_t>(fields[c])]) : std::string());
    if (!fields.empty()) list.SetCellStyle(row, 0, editStyle);
}

}  // namespace

void FillContactCells(GroupTreeModel& list, NodeHandle row, int editStyle) {
    FillCells(list, row, list.GetContactRecord<ContactItem>(row), ColumnFields(list), editStyle);
}

int TakeContactsIntoList(ContactStore& store, GroupTreeModel& list, std::int32_t groupId, int editStyle) {
    list.SetRedraw(false);
    NodeHandle current = kNoNode;
    int taken = 0;
    const std::vector<int> fields = ColumnFields(list);
    std::vector<ContactItem> kept;
    kept.reserve(store.contacts.size());
    for (ContactItem& c : store.contacts) {
        if (c.groupId != groupId) {
            kept.push_back(std::move(c));
            continue;
        }
        const NodeHandle row = list.InsertItem(kRootNode, kInsertLast, std::string(), 0);
        FillCells(list, row, c, fields, editStyle);
        if (c.isCurrent) current = row;
        list.SetContactRecord(row, std::move(c));
        ++taken;
    }
    store.contacts = std::move(kept);
    if (current == kNoNode) current = list.GetNextItem(kRootNode, kFirstChild);
    list.SetRedraw(true);
    if (current != kNoNode) list.SelectItem(current, -1);
    return taken;
}

void HandBackContactRows(ContactStore& store, GroupTreeModel& list, std::int32_t groupId, bool remove) {
    HandBackRows(list, remove, [&](NodeHandle row, bool selected) {
        ContactItem item = list.GetContactRecord<ContactItem>(row);
        item.groupId = groupId;
        item.isCurrent = selected ? 1 : 0;
        store.contacts.push_back(std::move(item));
    });
}

void BuildContactColumns(GroupTreeModel& list, const ContactColumns& columns) {
    list.SetRedraw(false);
    while (list.ColumnCount() > 0) list.DeleteColumn(list.ColumnCount() - 1);
    for (const ContactColumn& c : columns)
        if (c.shown) list.InsertColumn(list.ColumnCount(), c.name, ColumnAlign::Left, c.width);
    list.SetRedraw(true);
}

void StoreColumnWidths(const GroupTreeModel& list, ContactColumns& columns) {
    for (int c = 0; c < list.ColumnCount(); ++c)
        for (ContactColumn& col : columns)
            if (col.name == list.Column(c)->title) col.width = list.Column(c)->width;
}

std::int32_t DrawUnusedContactGroupId(const GroupTreeModel& tree) {
    return DrawUnusedId(tree, &GroupTreeModel::GetContactGroupId, DrawIdentifier);
}

std::vector<std::int32_t> ContactSubtreeIds(const GroupTreeModel& tree, NodeHandle group) {
    std::vector<std::int32_t> ids;
    if (!tree.IsValid(group) || group == kRootNode) return ids;
    const int depth = tree.GetDepth(group);
    for (NodeHandle n = group; n != kNoNode; n = tree.NextInPreorder(n)) {
        if (n != group && tree.GetDepth(n) <= depth) break;
        ids.push_back(tree.GetContactGroupId(n));
    }
    return ids;
}

void RemoveContactsOfGroups(ContactStore& store, const std::vector<std::int32_t>& groupIds) {
    auto& c = store.contacts;
    c.erase(std::remove_if(c.begin(), c.end(),
                           [&](const ContactItem& item) {
                               return std::find(groupIds.begin(), groupIds.end(), item.groupId) !=
                                      groupIds.end();
                           }),
            c.end());
}

bool SaveContacts(ContactStore& store, ContactColumns& columns, const ContactViews& views) {
    if (views.list) StoreColumnWidths(*views.list, columns);
    const std::vector<ContactItem> snapshot = store.contacts;
    const NodeHandle group = views.groups ? views.groups->GetSelectedItem() : kNoNode;
    if (views.list && group != kNoNode)
        HandBackContactRows(store, *views.list, views.groups->GetContactGroupId(group), false);
    if (views.groups) FillContactGroups(*views.groups, store.groups);
    const bool ok = SerializeContactsFile(store, true);
    store.contacts = snapshot;
    return ok;
}

}  // namespace veltrin
