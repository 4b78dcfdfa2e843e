#include "contacts/ContactRecords.h"

#include "storage/DataFile.h"

namespace veltrin {

const std::array<ContactField, kContactFieldCount>& ContactFields() {
    // Record positions: the record starts with first, last and middle name,
    // then the display name; from "Nickname" on the two orders agree.
    static const std::array<ContactField, kContactFieldCount> table = {{
        {"Name", 3},
        {"First Name", 0},
        {"Last Name", 1},
        {"Middle Name", 2},
        {"Nickname", 4},
        {"E-mail Address", 5},
        {"Home Street", 6},
        {"Home City", 7},
        {"Home Postal Code", 8},
        {"Home State", 9},
        {"Home Country", 10},
        {"Home Phone", 11},
        {"Home Fax", 12},
        {"Cellular", 13},
        {"Personal Web Page", 14},
        {"Business Street", 15},
        {"Business City", 16},
        {"Business Postal Code", 17},
        {"Business State", 18},
        {"Business Country", 19},
        {"Business Web Page", 20},
        {"Business Phone", 21},
        {"Business Fax", 22},
        {"Pager", 23},
        {"Company", 24},
        {"Job Title", 25},
        {"Department", 26},
        {"Office Location", 27},
        {"Notes", 28},
    }};
    return table;
}

int ContactFieldRecordIndex(const std::string& name) {
    for (const ContactField& f : ContactFields())
        if (name == f.name) return f.recordIndex;
    return -1;
}

const ContactColumns& DefaultContactColumns() {
    static const ContactColumns columns = [] {
        ContactColumns c;
        for (int i = 0; i < kContactColumnCount; ++i) c[i] = ContactColumn{ContactFields()[i].name, 100, 1};
        return c;
    }();
    return columns;
}

void ContactGroup::Transfer(Archive& ar) {
    ar.int32(levelStep);
    ar.countedString(name);
    ar.int32(iconIndex);
    ar.int32(bold);
    ar.int32(isCurrent);
    ar.int32(collapsed);
    ar.int32(groupId);
}

void ContactItem::Transfer(Archive& ar) {
    ar.int32(groupId);
    for (std::string& f : fields) ar.countedString(f);
    ar.int32(isCurrent);
}

void TransferContactStore(Archive& ar, ContactStore& store) {
    TransferRecords(ar, store.groups);
    TransferRecords(ar, store.contacts);
}

bool SerializeContactsFile(ContactStore& store, bool save) {
    return SerializeDataFile(save, kContactsFile,
                             [&store](Archive& ar) { TransferContactStore(ar, store); });
}

}  // namespace veltrin
