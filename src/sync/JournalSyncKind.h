#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "documents/DocumentRecords.h"
#include "sync/KeptOriginals.h"
#include "sync/SyncKind.h"
#include "sync/SyncStatus.h"

namespace veltrin {

// Diary pages and notes as the journals of one calendar, one VJOURNAL each:
// a journal with a date is a page, one without is a note. A page is keyed by
// its day ("diary:<yyyymmdd>"). Notes.dat gives a note no id, so each gets a
// key in the status ("note:<created>[-n]") and is found again there at every
// sync by its creation time: with the same name and text, then the same
// name, then alone. A day has one page: a page changed on both sides, or a
// second item for its day, is joined below the page here.
class JournalSyncKind : public SyncKind {
public:
    // entries: the calendar's status, by href.
    // originals: what other programs wrote of the pages and notes that came
    // from them; null keeps none.
    JournalSyncKind(DiaryTable& diary, NoteTable& notes, const std::map<std::string, SyncEntry>& entries,
                    std::int64_t now, Originals* originals = nullptr);

    const char* Noun() const override { return "diary pages and notes"; }
    const char* Part(const std::string& key) const override;
    const char* ContentType() const override { return "text/calendar; charset=utf-8"; }
    bool AddressBook() const override { return false; }
    std::map<std::string, std::string> LocalHashes() const override { return hashes_; }
    std::string NewName(const std::string& key) const override;
    std::string Text(const std::string& key, const std::string& uid) const override;
    Staged Read(const std::string& text) const override;
    Staged StageAdd(const std::string& text, bool conflictCopy) override;
    std::string StageReplace(const std::string& key, const std::string& text) override;
    void StageRemove(const std::string& key) override;
    std::string KeyAfterReplace(const std::string& key) const override;
    bool Holds(const std::string& text) const override;
    std::string Joined(const std::string& key, const std::string& uid,
                       const std::string& theirs) const override;
    std::string Doubles(const std::string& text) const override;
    bool HasStaged() const override { return pagesChanged_ || notesChanged_; }
    // Which of the two files the staged changes are in.
    bool PagesStaged() const { return pagesChanged_; }
    bool NotesStaged() const { return notesChanged_; }
    void Apply() override;
    void Sent(const std::string& key, const std::string& text) override { originals_.Sent(key, text); }
    bool OriginalsChanged() const { return originals_.Changed(); }

    // The key each note has for this sync, in store order.
    std::vector<std::string> NoteKeys() const;

private:
    struct Node {
        NoteItem note;
        std::string key;
        std::string parentKey;
        std::string parentUid;  // of a note from the server: its parent, found when applied
        bool fromServer = false;
        bool removed = false;
    };
    std::string UidOf(const std::string& key) const;
    std::string WholeText(const std::string& key, const std::string& uid) const;
    std::string FreshNoteKey(std::int32_t created);

    DiaryTable& diaryStore_;
    NoteTable& notesStore_;
    std::int64_t now_;
    std::map<std::string, DiaryPage> pages_;  // what the diary will be, by key
    DiaryTable unsynced_;                     // a second page of a day, which a file may hold
    std::vector<Node> nodes_;                 // what the notes will be, in store order
    std::size_t stored_ = 0;                  // of them from the file; the rest came from the server
    std::map<std::string, std::size_t> nodeOf_;
    std::map<std::string, std::string> uids_;  // the server's UID of each key that has one
    std::map<std::string, std::string> hashes_;
    std::set<std::string> usedKeys_;
    std::map<std::string, std::string> movedTo_;  // pages the other side moved to another day
    bool pagesChanged_ = false, notesChanged_ = false;
    KeptOriginals originals_;
};

}  // namespace veltrin
