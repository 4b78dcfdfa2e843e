#include "contacts/ContactRecords.h"

#include <limits>
#include <stdexcept>

#include "storage/DataFile.h"

namespace veltrin {

const std::array<ContactField, kContactFieldCount>& ContactFields() {
    // Record positions: the record starts with first, last and middle name,
    // then the display name; from "Nickname" on the two orders agree.
    static const std::array<ContactField, kContactFieldCount> table = [] {
        std::array<ContactField, kContactFieldCount> t{};
        for (int i = 0; i < kContactFieldCount; ++i) t[i] = {ContactFieldNames()[i], i < 4 ? (i + 3) % 4 : i};
        return t;
    }();
    return table;
}

int ContactFieldRecordIndex(const std::string& name) {
    for (const ContactField& f : ContactFields())
        if (name == f.name) return f.recordIndex;
    return -1;
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

namespace {

constexpr std::size_t kMaxFieldBytes = std::numeric_limits<std::uint32_t>::max();
constexpr std::size_t kKeptBufferBytes = 64 * 1024;

}  // namespace

std::string_view ContactFieldTexts::encoded() const {
    // Every field empty: a length of 0 for each.
    static const std::string kNoTexts(kContactFieldCount, '\0');
    return encoded_.empty() ? std::string_view(kNoTexts) : std::string_view(encoded_);
}

std::string_view ContactFieldTexts::operator[](std::size_t index) const {
    if (encoded_.empty()) return {};
    std::size_t pos = 0;
    for (std::size_t i = 0; i < index; ++i) Archive::EncodedTextAt(encoded_, pos);
    return Archive::EncodedTextAt(encoded_, pos);
}

void ContactFieldTexts::set(std::size_t index, std::string_view text) {
    if (text.size() > kMaxFieldBytes) throw std::length_error("a contact's fields are too long");
    if (encoded_.empty()) encoded_ = encoded();
    std::size_t begin = 0;
    for (std::size_t i = 0; i < index; ++i) Archive::EncodedTextAt(encoded_, begin);
    std::size_t end = begin;
    Archive::EncodedTextAt(encoded_, end);
    std::string field;
    Archive::AppendEncoded(field, text);
    encoded_.replace(begin, end - begin, field);
}

void ContactFieldTexts::Transfer(Archive& ar) {
    if (ar.IsStoring()) {
        ar.storeEncoded(encoded());
        return;
    }
    // Most contacts' texts are short and lie whole in the read buffer:
    // their bytes in the file are already the form kept.
    if (ar.takeShortTexts(kContactFieldCount, encoded_)) return;
    // Read whole before anything changes, so that a damaged contact leaves
    // the texts as they were. The texts go one after another into a buffer
    // that is kept from contact to contact, then into one allocation.
    thread_local std::string packed;
    packed.clear();
    for (int i = 0; i < kContactFieldCount; ++i) {
        const std::size_t at = packed.size();
        packed.push_back('\0');  // the length of a short text, set below
        if (!ar.appendText(packed)) return;
        const std::size_t n = packed.size() - at - 1;
        if (n > kMaxFieldBytes) {
            ar.fail("a contact is longer than Veltrin can hold");
            return;
        }
        if (n < 0xFF)
            packed[at] = static_cast<char>(n);
        else
            packed.replace(at, 1, Archive::lengthPrefix(n));
    }
    encoded_.assign(packed);
    if (packed.capacity() > kKeptBufferBytes) std::string().swap(packed);  // not held for one huge contact
}

void ContactFieldTexts::assign(const std::array<std::string_view, kContactFieldCount>& texts) {
    for (const std::string_view t : texts)
        if (t.size() > kMaxFieldBytes) throw std::length_error("a contact's fields are too long");
    std::string packed;
    for (const std::string_view t : texts) Archive::AppendEncoded(packed, t);
    encoded_.assign(packed);  // no room kept past the texts
}

void ContactFieldTexts::assign(const std::array<std::string, kContactFieldCount>& texts) {
    std::array<std::string_view, kContactFieldCount> views;
    for (std::size_t i = 0; i < texts.size(); ++i) views[i] = texts[i];
    assign(views);
}

void ContactItem::Transfer(Archive& ar) {
    ar.int32(groupId);
    fields.Transfer(ar);
    ar.int32(isCurrent);
}

void TransferContactStore(Archive& ar, ContactStore& store) {
    TransferRecords(ar, store.groups);
    TransferRecords(ar, store.contacts);
}

bool SerializeContactsFile(ContactStore& store, bool save) {
    return SerializeDataFile(save, kContactsFile, [&store](Archive& ar) { TransferContactStore(ar, store); });
}

}  // namespace veltrin
