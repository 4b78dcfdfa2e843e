#pragma once

#include <map>
#include <string>

namespace veltrin {

// One kind of record as sync sees it: keys, hashes of the fields that travel,
// texts for the server. What comes from the server is only staged; Apply
// puts it into the records in one go, after the network part succeeded.
class SyncKind {
public:
    virtual ~SyncKind() = default;

    struct Staged {
        bool ok = false;
        std::string key, uid, hash;
        std::string text;  // of a conflict copy: what goes up for it
    };

    virtual const char* Noun() const = 0;  // "events", for the report
    // For a kind of two kinds of record: which a key names, for the report.
    virtual const char* Part(const std::string& key) const {
        (void)key;
        return nullptr;
    }
    virtual const char* ContentType() const = 0;
    virtual bool AddressBook() const = 0;

    // Every local record's key and hash, as the records are now.
    virtual std::map<std::string, std::string> LocalHashes() const = 0;
    // The name a new record gets in the collection.
    virtual std::string NewName(const std::string& key) const = 0;
    // The record's text; a UID given is the one it has on the server.
    virtual std::string Text(const std::string& key, const std::string& uid) const = 0;

    // The hash and UID a server text would have here; ok false when unreadable.
    virtual Staged Read(const std::string& text) const = 0;
    // A new record from a server text, under a key no record has. A conflict
    // copy is marked as one and gets a UID of its own.
    virtual Staged StageAdd(const std::string& text, bool conflictCopy) = 0;
    // Returns the hash the record will have.
    virtual std::string StageReplace(const std::string& key, const std::string& text) = 0;
    virtual void StageRemove(const std::string& key) = 0;
    // The key a replaced record goes on under: its own, another where the
    // other side moved it (a page to another day), or empty where it went
    // into another record and its item is left alone from now on.
    virtual std::string KeyAfterReplace(const std::string& key) const { return key; }

    // Whether a server text is an item of this kind at all: a calendar may
    // hold other kinds' items beside its own, which are left alone.
    virtual bool Holds(const std::string& text) const {
        (void)text;
        return true;
    }
    // A record that cannot be kept twice (a day has one page) is joined with
    // the server's version instead: the text of the local record with theirs
    // below it, under the given UID. Empty: both are kept as two records.
    virtual std::string Joined(const std::string& key, const std::string& uid,
                               const std::string& theirs) const {
        (void)key, (void)uid, (void)theirs;
        return {};
    }
    // The record here that a server text new to the sync would double (the
    // page of its day); empty when it is a record of its own.
    virtual std::string Doubles(const std::string& text) const {
        (void)text;
        return {};
    }
    // The text of a record went up: the server holds it now.
    virtual void Sent(const std::string& key, const std::string& text) { (void)key, (void)text; }
    // The local record a server item's UID names, for a sync without a status
    // to find its records by; empty when the UID names none.
    virtual std::string KeyOfUid(const std::string& uid) const {
        (void)uid;
        return {};
    }
    virtual bool HasStaged() const = 0;
    virtual void Apply() = 0;
};

}  // namespace veltrin
