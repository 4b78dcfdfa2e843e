#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ContactColumns.h"
#include "storage/Archive.h"

namespace veltrin {

// Every field of a contact has a column of the contact list.
inline constexpr int kContactFieldCount = kContactColumnCount;

// One folder of the Contacts view's group tree.
struct ContactGroup {
    std::int32_t levelStep = 0;
    std::string name = "New contact group";
    std::int32_t iconIndex = 0;
    std::int32_t bold = 0;
    std::int32_t isCurrent = 0;
    std::int32_t collapsed = 1;
    std::int32_t groupId = 0;

    void Transfer(Archive& ar);
    static constexpr std::size_t kMinStoredSize = 6 * 4 + 1;
};

// The texts of a contact's fields, in record order, held in one string in
// the form the file stores them (each text after its length): 29 separate
// strings would take close to a kilobyte per contact however few fields are
// filled, and a store then copies the contact in one piece.
class ContactFieldTexts {
public:
    std::string_view operator[](std::size_t index) const;
    void set(std::size_t index, std::string_view text);
    // Every field at once, packed with one allocation.
    void assign(const std::array<std::string_view, kContactFieldCount>& texts);
    void assign(const std::array<std::string, kContactFieldCount>& texts);

    void Transfer(Archive& ar);

    bool operator==(const ContactFieldTexts& o) const { return encoded() == o.encoded(); }
    bool operator!=(const ContactFieldTexts& o) const { return !(*this == o); }

private:
    std::string_view encoded() const;

    std::string encoded_;  // empty while every field is: a new record allocates nothing
};

// One contact. fields[] is in record order: first, last and middle name come
// before the display name. Go through the field table to find a field by name.
struct ContactItem {
    std::int32_t groupId = 0;
    ContactFieldTexts fields;
    std::int32_t isCurrent = 0;

    void Transfer(Archive& ar);
    static constexpr std::size_t kMinStoredSize = 2 * 4 + kContactFieldCount * 1;
};

// The field table: for each field-name index (the column chooser's default
// order), the name and the field's place in ContactItem::fields.
struct ContactField {
    const char* name;
    int recordIndex;  // 0-based position in ContactItem::fields
};
const std::array<ContactField, kContactFieldCount>& ContactFields();

// The record position of a field by its name (a column heading); -1 for none.
int ContactFieldRecordIndex(const std::string& name);

struct ContactStore {
    std::vector<ContactGroup> groups;
    std::vector<ContactItem> contacts;
};

// Loading (save == false) appends the file's records to the store; storing
// writes the whole store. True on success; every failure has been reported.
bool SerializeContactsFile(ContactStore& store, bool save);

// The body of Contacts.dat after its header.
void TransferContactStore(Archive& ar, ContactStore& store);

}  // namespace veltrin
