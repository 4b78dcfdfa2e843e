#pragma once

#include <string>

#include "contacts/ContactRecords.h"
#include "interop/ImportReport.h"

namespace veltrin {

// The contacts of the named group and its subgroups (all when empty) as vCard
// 4.0, one card each, texts in UTF-8.
std::string ContactsToVCard(const ContactStore& store, const std::string& group = {});

// Adds the cards of a vCard text to the top-level group of that name (made
// when missing). A card whose name and e-mail address match a contact's is
// already there; nothing held is replaced or removed.
ImportReport ImportVCard(ContactStore& store, const std::string& text, const std::string& group);

}  // namespace veltrin
