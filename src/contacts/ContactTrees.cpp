#include "contacts/ContactTrees.h"

#include "controls/TreeRecords.h"

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

void FillContactCells(GroupTreeModel& list, NodeHandle row, int editStyle) {
    const ContactItem item = list.GetContactRecord<ContactItem>(row);
    for (int c = 0; c < list.ColumnCount(); ++c) {
        const int field = ContactFieldRecordIndex(list.Column(c)->title);
        list.SetItemText(row, c, field >= 0 ? std::string(item.fields[field]) : std::string());
    }
    list.SetCellStyle(row, 0, editStyle);
}

int TakeContactsIntoList(ContactStore& store, GroupTreeModel& list, std::int32_t groupId, int editStyle) {
    list.SetRedraw(false);
    NodeHandle current = kNoNode;
    int taken = 0;
    std::vector<ContactItem> kept;
    kept.reserve(store.contacts.size());
    for (ContactItem& c : store.contacts) {
        if (c.groupId != groupId) {
            kept.push_back(std::move(c));
            continue;
        }
        const NodeHandle row = list.InsertItem(kRootNode, kInsertLast, std::string(), 0);
        list.SetContactRecord(row, c);
        FillContactCells(list, row, editStyle);
        if (c.isCurrent) current = row;
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

bool SaveContacts(ContactStore& store, ContactColumns& columns, const ContactViews& views) {
    if (views.list) {
        for (int c = 0; c < views.list->ColumnCount(); ++c)
            for (ContactColumn& col : columns)
                if (col.name == views.list->Column(c)->title) col.width = views.list->Column(c)->width;
    }
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
