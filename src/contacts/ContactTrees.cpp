#include "contacts/ContactTrees.h"

#include <algorithm>
#include <string_view>

#include "storage/Identifier.h"
#include "tree/GroupTreeCommands.h"
#include "tree/TreeRecords.h"

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

// The row's text for each column; the views point into the item.
void RowTexts(const ContactItem& item, const std::vector<int>& fields, std::vector<std::string_view>& texts) {
    texts.clear();
    for (int f : fields)
        texts.push_back(f >= 0 ? item.fields[static_cast<std::size_t>(f)] : std::string_view());
}

}  // namespace

void FillContactCells(GroupTreeModel& list, NodeHandle row, int editStyle) {
    const ContactItem item = list.GetContactRecord<ContactItem>(row);
    std::vector<std::string_view> texts;
    RowTexts(item, ColumnFields(list), texts);
    for (std::size_t c = 0; c < texts.size(); ++c) list.SetItemText(row, static_cast<int>(c), texts[c]);
    if (!texts.empty()) list.SetCellStyle(row, 0, editStyle);
}

int TakeContactsIntoList(ContactStore& store, GroupTreeModel& list, std::int32_t groupId, int editStyle) {
    list.SetRedraw(false);
    NodeHandle current = kNoNode;
    int taken = 0;
    const std::vector<int> fields = ColumnFields(list);
    std::vector<std::string_view> texts;
    // The contacts that stay close up in place, in their order.
    auto& contacts = store.contacts;
    auto kept = contacts.begin();
    for (auto it = contacts.begin(); it != contacts.end(); ++it) {
        ContactItem& c = *it;
        if (c.groupId != groupId) {
            if (kept != it) *kept = std::move(c);
            ++kept;
            continue;
        }
        RowTexts(c, fields, texts);
        const NodeHandle row = list.InsertItemWithTexts(kRootNode, kInsertLast, texts, kContactIcon);
        if (!fields.empty()) list.SetCellStyle(row, 0, editStyle);
        if (c.isCurrent) current = row;
        list.SetContactRecord(row, std::move(c));
        ++taken;
    }
    contacts.erase(kept, contacts.end());
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

void RemoveContactsOfGroups(ContactStore& store, const std::vector<std::int32_t>& groupIds) {
    auto& c = store.contacts;
    c.erase(std::remove_if(c.begin(), c.end(),
                           [&](const ContactItem& item) {
                               return std::find(groupIds.begin(), groupIds.end(), item.groupId) !=
                                      groupIds.end();
                           }),
            c.end());
}

void GatherContacts(ContactStore& store, const ContactViews& views) {
    const NodeHandle group = views.groups ? views.groups->GetSelectedItem() : kNoNode;
    if (views.list && group != kNoNode)
        HandBackContactRows(store, *views.list, views.groups->GetContactGroupId(group), false);
    if (views.groups) FillContactGroups(*views.groups, store.groups);
}

bool SaveContacts(ContactStore& store, ContactColumns& columns, const ContactViews& views) {
    if (views.list) StoreColumnWidths(*views.list, columns);
    // The list's rows go on the end for the store and come off again after
    // it: the array itself is never copied.
    const std::size_t held = store.contacts.size();
    GatherContacts(store, views);
    const bool ok = SerializeContactsFile(store, true);
    store.contacts.erase(store.contacts.begin() + static_cast<std::ptrdiff_t>(held), store.contacts.end());
    return ok;
}

}  // namespace veltrin
