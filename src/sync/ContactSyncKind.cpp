#include "sync/ContactSyncKind.h"

#include "interop/ContactCards.h"
#include "interop/GroupOfPath.h"
#include "interop/GroupPaths.h"
#include "sync/SyncHash.h"

namespace veltrin {

namespace {

const char* const kConflictMark = " (conflict copy)";
// Where a card that names no group goes: the Contacts view shows a contact
// only in its group. Its contacts go up without a group again.
const char* const kNoGroupPath = "Address book";
const std::size_t kKeyPrefix = 8;  // "contact:"

std::size_t NameField() { return static_cast<std::size_t>(ContactFieldRecordIndex("Name")); }
std::size_t EmailField() { return static_cast<std::size_t>(ContactFieldRecordIndex("E-mail Address")); }

// A path as the groups it makes: "Work//Projects/" is "Work/Projects".
std::string TidyPath(const std::string& path) {
    std::string tidy;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        if (slash > start) tidy += (tidy.empty() ? "" : "/") + path.substr(start, slash - start);
        start = slash + 1;
    }
    return tidy;
}

// The parts of a contact's hash: 0 its fields, 1 its name, 2 its e-mail
// address (empty when it has none), -1 name and address together.
std::string PartOf(const std::string& hash, int part) {
    const std::size_t first = hash.find('.');
    if (first == std::string::npos) return {};
    if (part < 0) return hash.substr(first + 1);
    const std::size_t second = hash.find('.', first + 1);
    if (second == std::string::npos) return {};
    return part == 0   ? hash.substr(0, first)
           : part == 1 ? hash.substr(first + 1, second - first - 1)
                       : hash.substr(second + 1);
}

std::string UidOf(const std::string& key) { return "veltrin-contact-" + key.substr(kKeyPrefix) + "@veltrin"; }

// The contact as its card reads back: what another client sees of it.
ReadContact CardOf(const ContactItem& contact, const std::string& groupPath) {
    return ReadOneContact(ContactToVCard(contact, groupPath, {}));
}

std::string HashOfRead(const ReadContact& r) {
    std::string text;
    for (std::size_t i = 0; i < static_cast<std::size_t>(kContactFieldCount); ++i) {
        const std::string_view f = r.contact.fields[i];
        text += std::to_string(f.size()) + ":";
        text += f;
    }
    const std::string path = TidyPath(r.groupPath);
    text += std::to_string(path.size()) + ":" + path;
    const auto part = [&r](std::size_t field) {
        const std::string f(r.contact.fields[field]);
        return f.empty() ? std::string() : HexDigest(f, true);
    };
    return HexDigest(text) + "." + part(NameField()) + "." +
           part(static_cast<std::size_t>(ContactFieldRecordIndex("E-mail Address")));
}

}  // namespace

std::string ContactSyncHash(const ContactItem& contact, const std::string& groupPath) {
    return HashOfRead(CardOf(contact, groupPath));
}

ContactSyncKind::ContactSyncKind(ContactStore& store, const std::map<std::string, SyncEntry>& entries,
                                 Originals* originals, std::int64_t now)
    : store_(store), now_(now), originals_(originals, "contacts", now) {
    const std::map<std::int32_t, std::string> pathOf = GroupPathsById(store_.groups);
    const std::size_t n = store_.contacts.size();
    std::vector<std::string> hashes(n);
    paths_.resize(n);
    keys_.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const auto path = pathOf.find(store_.contacts[i].groupId);
        if (path != pathOf.end() && path->second != kNoGroupPath) paths_[i] = path->second;
        hashes[i] = ContactSyncHash(store_.contacts[i], paths_[i]);
    }
    // Each entry is taken once: first by the same fields (an unchanged
    // contact, wherever it stands now), then by the same name and e-mail
    // address, by the same address, by the same name (an edited one), in the
    // order the contacts stand.
    const int kPasses[] = {-1, 2, 1};
    std::multimap<std::string, std::string> byHash, byPart[3];
    for (const auto& [href, e] : entries) {
        if (e.key.compare(0, kKeyPrefix, "contact:") != 0) continue;
        usedKeys_.insert(e.key);
        byHash.emplace(e.hash, e.key);
        for (int p = 0; p < 3; ++p) byPart[p].emplace(PartOf(e.hash, kPasses[p]), e.key);
    }
    std::set<std::string> taken;
    const auto take = [&](const std::multimap<std::string, std::string>& by, const std::string& what,
                          std::size_t i) {
        for (auto [it, end] = by.equal_range(what); it != end; ++it) {
            if (!taken.insert(it->second).second) continue;
            keys_[i] = it->second;
            return;
        }
    };
    for (std::size_t i = 0; i < n; ++i) take(byHash, hashes[i], i);
    for (int p = 0; p < 3; ++p) {
        for (std::size_t i = 0; i < n; ++i) {
            const std::string part = PartOf(hashes[i], kPasses[p]);
            if (keys_[i].empty() && !part.empty() && part != ".") take(byPart[p], part, i);
        }
    }
    // A contact whose name and address both changed here: the card it came
    // from, where one is kept, finds it by the other fields it still shares
    // (at least two, and more than with any other).
    std::vector<ReadContact> asCards(n);
    for (std::size_t i = 0; i < n; ++i)
        if (keys_[i].empty()) asCards[i] = CardOf(store_.contacts[i], {});
    for (const auto& [href, e] : entries) {
        const Original* original = originals_.Find(e.key);
        if (!original || taken.count(e.key)) continue;
        const ReadContact was = CardOf(ReadOneContact(original->text).contact, {});
        std::size_t best = n, bestShared = 0;
        bool tie = false;
        for (std::size_t i = 0; i < n; ++i) {
            if (!keys_[i].empty()) continue;
            const ReadContact& is = asCards[i];
            std::size_t shared = 0;
            for (std::size_t f = 0; f < static_cast<std::size_t>(kContactFieldCount); ++f)
                shared += f != NameField() && f != EmailField() && !is.contact.fields[f].empty() &&
                          is.contact.fields[f] == was.contact.fields[f];
            if (shared < 2 || shared < bestShared) continue;
            tie = shared == bestShared;
            best = i;
            bestShared = shared;
        }
        if (best < n && !tie) {
            keys_[best] = e.key;
            taken.insert(e.key);
        }
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (keys_[i].empty()) keys_[i] = FreshKey(hashes[i]);
        indexOf_[keys_[i]] = i;
        hashes_[keys_[i]] = hashes[i];
    }
}

// A key made from the name and e-mail address, so that two folders that
// hold the same contacts give them the same keys and names on the server.
std::string ContactSyncKind::FreshKey(const std::string& hash) {
    const std::string base = "contact:" + HexDigest(PartOf(hash, -1), true);
    std::string key = base;
    for (int n = 2; !usedKeys_.insert(key).second; ++n) key = base + "-" + std::to_string(n);
    return key;
}

std::string ContactSyncKind::NewName(const std::string& key) const {
    return "veltrin-contact-" + key.substr(kKeyPrefix) + ".vcf";
}

std::string ContactSyncKind::Text(const std::string& key, const std::string& uid) const {
    const auto at = indexOf_.find(key);
    if (at == indexOf_.end()) return {};
    // Another program's card goes back as it came, with only what changed here.
    if (const Original* original = originals_.Find(key)) {
        const std::string patched =
            PatchContactCard(original->text, store_.contacts[at->second], paths_[at->second], now_);
        if (!patched.empty()) return patched;
    }
    return ContactToVCard(store_.contacts[at->second], paths_[at->second], uid.empty() ? UidOf(key) : uid);
}

SyncKind::Staged ContactSyncKind::Read(const std::string& text) const {
    const ReadContact r = ReadOneContact(text);
    Staged s;
    if (!r.ok) return s;
    s.ok = true;
    s.uid = r.uid;
    s.hash = ContactSyncHash(r.contact, r.groupPath);
    return s;
}

SyncKind::Staged ContactSyncKind::StageAdd(const std::string& text, bool conflictCopy) {
    ReadContact r = ReadOneContact(text);
    Staged s;
    if (!r.ok) return s;
    s.ok = true;
    s.uid = r.uid;
    if (conflictCopy) {
        // The name the card shows, marked.
        std::string name(CardOf(r.contact, r.groupPath).contact.fields[NameField()]);
        r.contact.fields.set(NameField(), name + kConflictMark);
        s.uid.clear();  // the copy is an item of its own, with the UID its key gives
    }
    s.hash = ContactSyncHash(r.contact, r.groupPath);
    s.key = FreshKey(s.hash);
    if (conflictCopy)
        s.text = ContactToVCard(r.contact, r.groupPath, UidOf(s.key));
    else
        originals_.Keep(s.key, text);
    staged_.push_back({Change::Add, 0, std::move(r.contact), r.groupPath, s.key});
    return s;
}

std::string ContactSyncKind::StageReplace(const std::string& key, const std::string& text) {
    const ReadContact r = ReadOneContact(text);
    const auto at = indexOf_.find(key);
    if (!r.ok || at == indexOf_.end()) return {};
    // A field that reads as the card has it keeps its stored bytes (older
    // files hold Windows-1252, and line ends the card does not carry).
    const ContactItem& old = store_.contacts[at->second];
    const ReadContact oldCard = CardOf(old, paths_[at->second]);
    ContactItem merged = r.contact;
    for (std::size_t i = 0; i < static_cast<std::size_t>(kContactFieldCount); ++i)
        if (oldCard.contact.fields[i] == r.contact.fields[i]) merged.fields.set(i, old.fields[i]);
    const std::string hash = ContactSyncHash(merged, r.groupPath);
    staged_.push_back({Change::Replace, at->second, std::move(merged), r.groupPath, {}});
    originals_.Keep(key, text);
    return hash;
}

void ContactSyncKind::StageRemove(const std::string& key) {
    const auto at = indexOf_.find(key);
    if (at != indexOf_.end()) staged_.push_back({Change::Remove, at->second, {}, {}, {}});
    originals_.Drop(key);
}

void ContactSyncKind::Apply() {
    std::vector<Change> changes;
    changes.swap(staged_);
    std::set<std::size_t> removed;
    std::vector<ContactItem> added;
    for (Change& c : changes) {
        if (c.what == Change::Remove) {
            removed.insert(c.index);
            continue;
        }
        const bool samePlace =
            c.what == Change::Replace && TidyPath(c.groupPath) == TidyPath(paths_[c.index]);
        c.contact.groupId =
            samePlace
                ? store_.contacts[c.index].groupId
                : GroupOfPath(store_.groups, TidyPath(c.groupPath).empty() ? kNoGroupPath : c.groupPath);
        if (c.what == Change::Add) {
            added.push_back(std::move(c.contact));
            continue;
        }
        c.contact.isCurrent = store_.contacts[c.index].isCurrent;
        store_.contacts[c.index] = std::move(c.contact);
    }
    // Of contacts deleted here since, nothing is kept.
    std::set<std::string> stay;
    for (std::size_t i = 0; i < keys_.size(); ++i)
        if (!removed.count(i)) stay.insert(keys_[i]);
    for (const Change& c : changes)
        if (c.what == Change::Add) stay.insert(c.key);
    originals_.DropUnless([&](const std::string& key) { return stay.count(key) > 0; });
    std::vector<ContactItem> kept;
    kept.reserve(store_.contacts.size() - removed.size() + added.size());
    for (std::size_t i = 0; i < store_.contacts.size(); ++i)
        if (!removed.count(i)) kept.push_back(std::move(store_.contacts[i]));
    for (ContactItem& c : added) kept.push_back(std::move(c));
    store_.contacts.swap(kept);
}

}  // namespace veltrin
