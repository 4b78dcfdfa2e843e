// Feeds arbitrary bytes to the vCard reader, the way a foreign address book
// would reach it, imports what was read and writes it out again: every
// contact must come back as one card.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "interop/ContactCards.h"
#include "interop/VCard.h"

using namespace veltrin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ContactStore store;
    ImportVCard(store, text, "Imported");
    const std::string written = ContactsToVCard(store);
    if (ReadCards(written).size() != store.contacts.size()) std::abort();
    return 0;
}
