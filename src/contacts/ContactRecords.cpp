#include "contacts/ContactRecords.h"

#include <algorithm>
#include <cstring>
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

void ContactFieldTexts::set(std::size_t index, std::string_view text) {
    const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
    const std::size_t old = ends_[index] - begin;
    if (text_.size() - old > kMaxFieldBytes - std::min(text.size(), kMaxFieldBytes))
        throw std::length_error("a contact's fields are too long");
    text_.replace(begin, old, text.data(), text.size());
    for (std::size_t i = index; i < ends_.size(); ++i)
        ends_[i] = static_cast<std::uint32_t>(ends_[i] - old + text.size());
}

void ContactFieldTexts::Transfer(Archive& ar) {
    if (ar.IsStoring()) {
        for (std::size_t i = 0; i < ends_.size(); ++i) ar.storeText((*this)[i]);
        return;
    }
    // Read whole before anything changes, so that a damaged contact leaves
    // the texts as they were. The texts go one after another into a buffer
    // that is kept from contact to contact, then into one allocation.
    thread_local std::string packed;
    packed.clear();
    std::array<std::uint32_t, kContactFieldCount> ends{};
    for (std::uint32_t& end : ends) {
        if (!ar.appendText(packed)) return;
        if (packed.size() > kMaxFieldBytes) {
            ar.fail("a contact is longer than Veltrin can hold");
            return;
        }
        end = static_cast<std::uint32_t>(packed.size());
    }
    text_.assign(packed);
    ends_ = ends;
    if (packed.capacity() > kKeptBufferBytes) std::string().swap(packed);  // not held for one huge contact
}

void ContactFieldTexts::assign(const std::array<std::string_view, kContactFieldCount>& texts) {
    std::size_t total = 0;
    for (const std::string_view t : texts) total += t.size();
    if (total > kMaxFieldBytes) throw std::length_error("a contact's fields are too long");
    Pack(texts, total);
}

void ContactFieldTexts::assign(const std::array<std::string, kContactFieldCount>& texts) {
    std::array<std::string_view, kContactFieldCount> views;
    for (std::size_t i = 0; i < texts.size(); ++i) views[i] = texts[i];
    assign(views);
}

void ContactFieldTexts::Pack(const std::array<std::string_view, kContactFieldCount>& texts,
                             std::size_t total) {
    std::string packed(total, '\0');
    std::size_t end = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (!texts[i].empty()) std::memcpy(&packed[end], texts[i].data(), texts[i].size());
        end += texts[i].size();
        ends_[i] = static_cast<std::uint32_t>(end);
    }
    text_ = std::move(packed);
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
