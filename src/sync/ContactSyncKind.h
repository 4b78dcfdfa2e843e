#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "contacts/ContactRecords.h"
#include "sync/KeptOriginals.h"
#include "sync/SyncKind.h"
#include "sync/SyncStatus.h"

namespace veltrin {

// Contacts as address book items, one vCard each. Contacts.dat gives them
// no id, so each gets a key in the status ("contact:<id>") and is found
// again there at every sync: by the hash of its fields at the last sync,
// then by its name and e-mail address; one that matches nothing is new.
class ContactSyncKind : public SyncKind {
public:
    // entries: the address book's status, by href. originals: what other
    // programs wrote of the contacts that came from them; null keeps none.
    ContactSyncKind(ContactStore& store, const std::map<std::string, SyncEntry>& entries,
                    Originals* originals = nullptr, std::int64_t now = 0);

    const char* Noun() const override { return "contacts"; }
    const char* ContentType() const override { return "text/vcard; charset=utf-8"; }
    bool AddressBook() const override { return true; }
    std::map<std::string, std::string> LocalHashes() const override { return hashes_; }
    std::string NewName(const std::string& key) const override;
    std::string Text(const std::string& key, const std::string& uid) const override;
    Staged Read(const std::string& text) const override;
    Staged StageAdd(const std::string& text, bool conflictCopy) override;
    std::string StageReplace(const std::string& key, const std::string& text) override;
    void StageRemove(const std::string& key) override;
    bool HasStaged() const override { return !staged_.empty(); }
    void Apply() override;
    void Sent(const std::string& key, const std::string& text) override { originals_.Sent(key, text); }
    bool OriginalsChanged() const { return originals_.Changed(); }

    // The key each contact has for this sync, in store order.
    const std::vector<std::string>& Keys() const { return keys_; }

private:
    struct Change {
        enum { Add, Replace, Remove } what;
        std::size_t index;
        ContactItem contact;
        std::string groupPath;
        std::string key;  // of an added one
    };
    std::string FreshKey(const std::string& hash);

    ContactStore& store_;
    std::vector<std::string> keys_, paths_;  // by contact
    std::map<std::string, std::size_t> indexOf_;
    std::map<std::string, std::string> hashes_;
    std::set<std::string> usedKeys_;
    std::vector<Change> staged_;
    std::int64_t now_;
    KeptOriginals originals_;
};

// The hash of what travels of a contact: its fields and group path as the
// card carries them, then (after a dot) the hash of its name and e-mail
// address, which finds it again after an edit.
std::string ContactSyncHash(const ContactItem& contact, const std::string& groupPath);

}  // namespace veltrin
