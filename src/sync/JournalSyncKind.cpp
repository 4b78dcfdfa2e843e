#include "sync/JournalSyncKind.h"

#include <algorithm>
#include <cctype>
#include <numeric>

#include "interop/CalendarItems.h"
#include "interop/ICalendar.h"
#include "storage/StoredText.h"
#include "sync/SyncHash.h"
#include "tree/LevelSteps.h"

namespace veltrin {

namespace {

const char* const kConflictMark = " (conflict copy)";
const char* const kPages = "diary pages";
const char* const kNotes = "notes";
// Above the server's version where it is joined below a page.
const char* const kJoinedMark = "Also on the server for this day (kept by sync):";

std::string PageKey(std::int32_t date) {
    const std::string uid = DiaryPageUid(date);  // veltrin-diary-<yyyymmdd>@veltrin
    const std::size_t from = uid.find("diary-") + 6;
    return "diary:" + uid.substr(from, uid.find('@') - from);
}

std::int32_t CreatedOf(const std::string& key) {
    return static_cast<std::int32_t>(std::strtol(key.c_str() + 5, nullptr, 10));
}

// Notes from the server in the order they were made: created, then the count
// among those of the same second.
bool MadeBefore(const std::string& a, const std::string& b) {
    const auto order = [](const std::string& key) {
        char* end = nullptr;
        const long created = std::strtol(key.c_str() + 5, &end, 10);
        return std::make_pair(created, *end == '-' ? std::strtol(end + 1, nullptr, 10) : 0L);
    };
    return order(a) < order(b);
}

std::string Sized(const std::string& s) { return std::to_string(s.size()) + ":" + s; }

// What travels of a note, then (after dots) what finds it again: its name
// and text, and its name alone.
std::string NoteHash(const NoteItem& n, const std::string& parentUid) {
    return HexDigest("note" + std::to_string(n.created) + Sized(n.name) + Sized(n.html) + Sized(parentUid)) +
           "." + HexDigest(Sized(n.name) + n.html, true) + "." + HexDigest(n.name, true);
}

std::string HashOf(const ReadJournal& r) {
    if (!r.dated) return NoteHash(r.note, r.parentUid);
    return HexDigest(PageKey(r.page.date) + Sized(r.page.title) + Sized(r.page.html));
}

// The parts after the dots: 1 name and text, 2 name.
std::string PartOf(const std::string& hash, int part) {
    std::size_t at = 0;
    for (int i = 0; i < part; ++i) {
        at = hash.find('.', at);
        if (at == std::string::npos) return {};
        ++at;
    }
    return hash.substr(at, hash.find('.', at) - at);
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The server's page below a rule and a line that says where it came from,
// before the end of the page's body.
std::string JoinedHtml(const std::string& mine, const std::string& theirs) {
    std::string body = theirs;
    const std::string lowTheirs = Lower(theirs);
    const std::size_t open = lowTheirs.find("<body");
    const std::size_t close = lowTheirs.rfind("</body");
    if (open != std::string::npos && close != std::string::npos) {
        const std::size_t start = theirs.find('>', open);
        if (start != std::string::npos && start < close) body = theirs.substr(start + 1, close - start - 1);
    }
    const std::string part = std::string("<hr><p><b>") + kJoinedMark + "</b></p>" + body;
    const std::size_t end = Lower(mine).rfind("</body");
    if (end == std::string::npos) return mine + part;
    return mine.substr(0, end) + part + mine.substr(end);
}

void JoinPage(DiaryPage& page, const std::string& theirsHtml) {
    page.html = JoinedHtml(StoredTextToUtf8(page.html), theirsHtml);
}

}  // namespace

JournalSyncKind::JournalSyncKind(DiaryTable& diary, NoteTable& notes,
                                 const std::map<std::string, SyncEntry>& entries, std::int64_t now,
                                 Originals* originals)
    : diaryStore_(diary), notesStore_(notes), now_(now), originals_(originals, "journals", now) {
    for (const auto& [href, e] : entries) {
        if (!Part(e.key)) continue;
        usedKeys_.insert(e.key);
        if (!e.uid.empty()) uids_[e.key] = e.uid;
    }
    for (const DiaryPage& p : diary)
        if (!pages_.emplace(PageKey(p.date), p).second) unsynced_.push_back(p);

    // The tree, and each note as its item reads back, to match by.
    const std::size_t n = notes.size();
    std::vector<long> parentOf(n, -1);
    std::vector<NoteItem> read(n);
    std::vector<std::size_t> path;  // path[d - 1]: the last note at depth d
    int depth = 0;
    for (std::size_t i = 0; i < n; ++i) {
        depth = DepthAfterLevelStep(depth, notes[i].levelStep);
        path.resize(static_cast<std::size_t>(depth - 1));
        if (!path.empty()) parentOf[i] = static_cast<long>(path.back());
        path.push_back(i);
        read[i] = JournalAsRead(notes[i]).note;
        nodes_.push_back(Node{notes[i], {}, {}, {}, false, false});
    }
    // Each entry is taken once: by the same creation time with the same name
    // and text (an unchanged note, wherever it stands now), then with the same
    // name, then alone (an edited one), in the order the notes stand.
    std::multimap<std::string, std::string> by[3];
    for (const auto& [href, e] : entries) {
        if (Part(e.key) != kNotes) continue;
        const std::string created = std::to_string(CreatedOf(e.key)) + "|";
        by[0].emplace(created + PartOf(e.hash, 1), e.key);
        by[1].emplace(created + PartOf(e.hash, 2), e.key);
        by[2].emplace(created, e.key);
    }
    std::set<std::string> taken;
    for (int pass = 0; pass < 3; ++pass) {
        for (std::size_t i = 0; i < n; ++i) {
            if (!nodes_[i].key.empty()) continue;
            const std::string hash = NoteHash(read[i], {});
            const std::string what =
                std::to_string(read[i].created) + "|" + (pass == 2 ? std::string() : PartOf(hash, pass + 1));
            for (auto [it, end] = by[pass].equal_range(what); it != end; ++it) {
                if (!taken.insert(it->second).second) continue;
                nodes_[i].key = it->second;
                break;
            }
        }
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (nodes_[i].key.empty()) nodes_[i].key = FreshNoteKey(nodes_[i].note.created);
        nodeOf_[nodes_[i].key] = i;
    }
    stored_ = n;
    for (std::size_t i = 0; i < n; ++i) {
        if (parentOf[i] >= 0) nodes_[i].parentKey = nodes_[static_cast<std::size_t>(parentOf[i])].key;
        hashes_[nodes_[i].key] =
            NoteHash(read[i], nodes_[i].parentKey.empty() ? std::string() : UidOf(nodes_[i].parentKey));
    }
    for (const auto& [key, page] : pages_) hashes_[key] = HashOf(JournalAsRead(page));
}

const char* JournalSyncKind::Part(const std::string& key) const {
    if (key.compare(0, 6, "diary:") == 0) return kPages;
    if (key.compare(0, 5, "note:") == 0) return kNotes;
    return nullptr;
}

// A note's key from its creation time, so that two folders that hold the
// same notes give them the same keys and names on the server.
std::string JournalSyncKind::FreshNoteKey(std::int32_t created) {
    const std::string base = "note:" + std::to_string(created);
    std::string key = base;
    for (int n = 1; !usedKeys_.insert(key).second; ++n) key = base + "-" + std::to_string(n);
    return key;
}

std::string JournalSyncKind::UidOf(const std::string& key) const {
    const auto uid = uids_.find(key);
    if (uid != uids_.end()) return uid->second;
    std::string dashed = key;
    std::replace(dashed.begin(), dashed.end(), ':', '-');
    return "veltrin-" + dashed + "@veltrin";  // as the export names them
}

std::vector<std::string> JournalSyncKind::NoteKeys() const {
    std::vector<std::string> keys;
    for (const Node& node : nodes_) keys.push_back(node.key);
    return keys;
}

std::string JournalSyncKind::NewName(const std::string& key) const {
    std::string dashed = key;
    std::replace(dashed.begin(), dashed.end(), ':', '-');
    return "veltrin-" + dashed + ".ics";
}

std::string JournalSyncKind::Text(const std::string& key, const std::string& uid) const {
    const std::string whole = WholeText(key, uid);
    // Another program's journal goes back as it came, with only what changed here.
    const Original* original = originals_.Find(key);
    if (!original || whole.empty()) return whole;
    const ReadJournal was = ReadOneJournal(original->text, original->readAt),
                      is = ReadOneJournal(whole, now_);
    if (!was.ok || !is.ok) return whole;
    const auto title = [](const ReadJournal& r) { return r.dated ? r.page.title : r.note.name; };
    const auto html = [](const ReadJournal& r) { return r.dated ? r.page.html : r.note.html; };
    unsigned parts = 0;
    if (title(was) != title(is)) parts |= kJournalTitle;
    if (html(was) != html(is)) parts |= kJournalText;
    if (!was.dated && !is.dated && was.parentUid != is.parentUid) parts |= kJournalParent;
    const std::string patched = PatchJournalItem(original->text, whole, parts, now_);
    return patched.empty() ? whole : patched;
}

std::string JournalSyncKind::WholeText(const std::string& key, const std::string& uid) const {
    const std::string own = uid.empty() ? UidOf(key) : uid;
    if (Part(key) == kPages) {
        const auto page = pages_.find(key);
        return page == pages_.end() ? std::string() : DiaryPageToICalendar(page->second, own, now_);
    }
    const auto at = nodeOf_.find(key);
    if (at == nodeOf_.end()) return {};
    const Node& node = nodes_[at->second];
    const std::string parent = node.fromServer          ? node.parentUid
                               : node.parentKey.empty() ? std::string()
                                                        : UidOf(node.parentKey);
    return NoteToICalendar(node.note, own, parent, now_);
}

SyncKind::Staged JournalSyncKind::Read(const std::string& text) const {
    const ReadJournal r = ReadOneJournal(text, now_);
    Staged s;
    if (!r.ok) return s;
    s.ok = true;
    s.uid = r.uid;
    s.hash = HashOf(r);
    return s;
}

bool JournalSyncKind::Holds(const std::string& text) const { return CalendarHolds(text, "VJOURNAL"); }

std::string JournalSyncKind::Joined(const std::string& key, const std::string& uid,
                                    const std::string& theirs) const {
    const auto page = pages_.find(key);
    const ReadJournal r = ReadOneJournal(theirs, now_);
    if (Part(key) != kPages || page == pages_.end() || !r.ok) return {};
    DiaryPage joined = page->second;
    JoinPage(joined, r.dated ? r.page.html : r.note.html);
    return DiaryPageToICalendar(joined, uid.empty() ? UidOf(key) : uid, now_);
}

std::string JournalSyncKind::Doubles(const std::string& text) const {
    const ReadJournal r = ReadOneJournal(text, now_);
    if (!r.ok || !r.dated) return {};
    const std::string key = PageKey(r.page.date);
    return pages_.count(key) ? key : std::string();
}

SyncKind::Staged JournalSyncKind::StageAdd(const std::string& text, bool conflictCopy) {
    const ReadJournal r = ReadOneJournal(text, now_);
    Staged s;
    if (!r.ok) return s;
    (r.dated ? pagesChanged_ : notesChanged_) = true;
    s.ok = true;
    s.uid = r.uid;
    if (r.dated) {
        s.key = PageKey(r.page.date);
        const auto page = pages_.find(s.key);
        if (page != pages_.end()) {
            JoinPage(page->second, r.page.html);  // a day has one page
        } else {
            pages_.emplace(s.key, r.page);
            if (!r.uid.empty()) uids_[s.key] = r.uid;
            if (!conflictCopy) originals_.Keep(s.key, text);
        }
        s.hash = HashOf(ReadOneJournal(Text(s.key, {}), now_));
        return s;
    }
    // A note of ours keeps the key its UID was made from, while no other has it.
    std::string key;
    const std::string ours = "veltrin-note-", domain = "@veltrin";
    if (!conflictCopy && r.uid.size() > ours.size() + domain.size() &&
        r.uid.compare(0, ours.size(), ours) == 0 &&
        r.uid.compare(r.uid.size() - domain.size(), domain.size(), domain) == 0) {
        key = "note:" + r.uid.substr(ours.size(), r.uid.size() - ours.size() - domain.size());
        if (CreatedOf(key) != r.note.created || !usedKeys_.insert(key).second) key.clear();
    }
    Node node{r.note, key.empty() ? FreshNoteKey(r.note.created) : key, {}, r.parentUid, true, false};
    node.note.levelStep = 0;
    if (conflictCopy) {
        node.note.name += kConflictMark;
        s.uid.clear();  // the copy is an item of its own, with the UID its key gives
        s.text = NoteToICalendar(node.note, UidOf(node.key), node.parentUid, now_);
        s.hash = HashOf(ReadOneJournal(s.text, now_));
    } else {
        if (!r.uid.empty()) uids_[node.key] = r.uid;
        s.hash = HashOf(r);
        originals_.Keep(node.key, text);
    }
    s.key = node.key;
    nodeOf_[node.key] = nodes_.size();
    nodes_.push_back(std::move(node));
    return s;
}

std::string JournalSyncKind::StageReplace(const std::string& key, const std::string& text) {
    const ReadJournal r = ReadOneJournal(text, now_);
    if (!r.ok) return {};
    (Part(key) == kPages ? pagesChanged_ : notesChanged_) = true;
    const ReadJournal mine = ReadOneJournal(Text(key, {}), now_);
    if (Part(key) == kPages) {
        const auto page = pages_.find(key);
        if (page == pages_.end()) return {};
        // A page that came back without its date keeps its day.
        DiaryPage theirs = r.dated ? r.page : DiaryPage{r.note.name, r.note.html, page->second.date, 0};
        // What reads as before keeps its stored bytes (older files hold Windows-1252).
        if (theirs.title == mine.page.title) theirs.title = page->second.title;
        if (theirs.html == mine.page.html) theirs.html = page->second.html;
        theirs.isCurrent = page->second.isCurrent;
        const std::string moved = PageKey(theirs.date);
        if (moved == key) {
            page->second = std::move(theirs);
            originals_.Keep(key, text);
            return HashOf(ReadOneJournal(Text(key, {}), now_));
        }
        originals_.Drop(key);
        // Moved to another day by the other side: the page goes with it under
        // its item. A day that has a page takes its text below, and the item is
        // left as the other side has it.
        pages_.erase(page);
        originals_.Drop(key);
        const auto there = pages_.find(moved);
        if (there != pages_.end()) {
            JoinPage(there->second, theirs.html);
            movedTo_[key].clear();
            return {};
        }
        pages_.emplace(moved, std::move(theirs));
        movedTo_[key] = moved;
        if (const auto uid = uids_.find(key); uid != uids_.end()) uids_[moved] = uid->second;
        originals_.Keep(moved, text);
        return HashOf(r);
    }
    const auto at = nodeOf_.find(key);
    if (at == nodeOf_.end()) return {};
    Node& node = nodes_[at->second];
    NoteItem theirs = r.note;
    if (r.dated) {  // a note that came back with a date stays a note
        theirs.name = r.page.title;
        theirs.html = r.page.html;
        theirs.created = node.note.created;
    }
    node.parentUid = r.dated ? (node.parentKey.empty() ? std::string() : UidOf(node.parentKey)) : r.parentUid;
    node.fromServer = true;
    originals_.Keep(key, text);
    if (theirs.name != mine.note.name) node.note.name = theirs.name;
    if (theirs.html != mine.note.html) node.note.html = theirs.html;
    node.note.created = theirs.created;
    return HashOf(ReadOneJournal(Text(key, {}), now_));
}

std::string JournalSyncKind::KeyAfterReplace(const std::string& key) const {
    const auto moved = movedTo_.find(key);
    return moved == movedTo_.end() ? key : moved->second;
}

void JournalSyncKind::StageRemove(const std::string& key) {
    originals_.Drop(key);
    if (Part(key) == kPages) {
        pagesChanged_ = true;
        pages_.erase(key);
        return;
    }
    notesChanged_ = true;
    const auto at = nodeOf_.find(key);
    if (at != nodeOf_.end()) nodes_[at->second].removed = true;
}

// Each table is made again only when its records changed, so that the
// other file need not be stored.
void JournalSyncKind::Apply() {
    // Of pages and notes deleted here since, nothing is kept.
    originals_.DropUnless([&](const std::string& key) {
        if (Part(key) == kPages) return pages_.count(key) > 0;
        const auto at = nodeOf_.find(key);
        return at != nodeOf_.end() && !nodes_[at->second].removed;
    });
    if (pagesChanged_) {
        DiaryTable diary = unsynced_;
        for (auto& [key, page] : pages_) diary.push_back(page);
        std::stable_sort(diary.begin(), diary.end(),
                         [](const DiaryPage& a, const DiaryPage& b) { return a.date < b.date; });
        diaryStore_.swap(diary);
    }
    pagesChanged_ = false;
    if (!notesChanged_) return;
    notesChanged_ = false;

    // Each note under its parent: a note from the server under the note its
    // parent UID names (at the top when none here has it), a note whose
    // parent was deleted under the nearest ancestor that is left.
    const std::size_t n = nodes_.size();
    std::map<std::string, std::size_t> byUid;
    for (std::size_t i = 0; i < n; ++i)
        if (!nodes_[i].removed) byUid.emplace(UidOf(nodes_[i].key), i);
    const auto parentOf = [&](std::size_t i) -> long {
        const Node& node = nodes_[i];
        if (node.fromServer) {
            const auto p = byUid.find(node.parentUid);
            return node.parentUid.empty() || p == byUid.end() ? -1 : static_cast<long>(p->second);
        }
        const auto p = nodeOf_.find(node.parentKey);
        return p == nodeOf_.end() ? -1 : static_cast<long>(p->second);
    };
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin() + static_cast<long>(std::min(n, stored_)), order.end(),
                     [&](std::size_t x, std::size_t y) { return MadeBefore(nodes_[x].key, nodes_[y].key); });
    std::vector<std::vector<std::size_t>> children(n);
    std::vector<std::size_t> roots;
    for (std::size_t i : order) {
        if (nodes_[i].removed) continue;
        long p = parentOf(i);
        for (std::size_t hops = 0; p >= 0 && nodes_[static_cast<std::size_t>(p)].removed && hops < n; ++hops)
            p = parentOf(static_cast<std::size_t>(p));
        if (p >= 0 && static_cast<std::size_t>(p) != i && !nodes_[static_cast<std::size_t>(p)].removed)
            children[static_cast<std::size_t>(p)].push_back(i);
        else
            roots.push_back(i);
    }
    NoteTable notes;
    std::vector<bool> placed(n, false);  // a loop of parents places each note once
    int depth = 0;
    const auto place = [&](auto& self, std::size_t i, int at) -> void {
        if (placed[i]) return;
        placed[i] = true;
        NoteItem note = nodes_[i].note;
        note.levelStep = notes.empty() ? 0 : at - depth;
        notes.push_back(std::move(note));
        depth = at;
        for (std::size_t child : children[i]) self(self, child, at + 1);
    };
    for (std::size_t i : roots) place(place, i, 1);
    for (std::size_t i : order)
        if (!nodes_[i].removed) place(place, i, 1);
    notesStore_.swap(notes);
}

}  // namespace veltrin
