#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "contacts/ContactRecords.h"
#include "interop/GroupPaths.h"
#include "interop/ImportReport.h"

namespace veltrin {

// The contacts of the named group and its subgroups (all when empty) as vCard
// 4.0, one card each, texts in UTF-8.
std::string ContactsToVCard(const ContactStore& store, const std::string& group = {});
// The contacts of the groups with these ids.
std::string ContactsToVCard(const ContactStore& store, const std::set<std::int32_t>& groupIds);

// One contact as an address book item of its own, written as the export
// writes it, with that UID (none when empty).
std::string ContactToVCard(const ContactItem& contact, const std::string& groupPath, const std::string& uid);

// The first card of a text as an import reads it, with its UID and its group
// path (first category). The contact's group id is not set.
struct ReadContact {
    bool ok = false;
    ContactItem contact;
    std::string uid;
    std::string groupPath;
};
ReadContact ReadOneContact(const std::string& text);

// Another program's card with only what differs between it and the
// contact replaced: each changed field in the property it came from, with
// that line's group and parameters; every other line, photos and all, stays
// as it was, and REV becomes moment. Empty when the card cannot be read.
std::string PatchContactCard(const std::string& original, const ContactItem& contact,
                             const std::string& groupPath, std::int64_t moment);

// Adds the cards of a vCard text below the target group, each into the
// subgroup its CATEGORIES path names (made when missing). A card whose name
// and e-mail address match a contact's is already there; nothing held is
// replaced or removed.
ImportReport ImportVCard(ContactStore& store, const std::string& text, const ImportTarget& target);
// Below the top-level group of that name.
ImportReport ImportVCard(ContactStore& store, const std::string& text, const std::string& group);

}  // namespace veltrin
