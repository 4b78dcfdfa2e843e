#include "sync/SyncEngine.h"

#include <algorithm>
#include <set>

#include "sync/SyncHash.h"

namespace veltrin {

namespace {

// A failure after which nothing more is asked of the server: it cannot be
// reached, refuses the password or asks to be left alone for a while.
bool Unreachable(long status) { return status == 0 || status == 401 || status == 429 || status == 503; }

// The value of the first UID line of an item, unfolded; read without parsing
// the item, since most items new on the server are read whole just after.
std::string FirstUid(const std::string& text) {
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        if (end - at > 4 && (text[at] == 'U' || text[at] == 'u') &&
            (text[at + 1] == 'I' || text[at + 1] == 'i') && (text[at + 2] == 'D' || text[at + 2] == 'd') &&
            (text[at + 3] == ':' || text[at + 3] == ';')) {
            std::string value;
            for (std::size_t line = at;;) {
                const std::size_t stop = end > line && text[end - 1] == '\r' ? end - 1 : end;
                value.append(text, line, stop - line);
                if (end + 1 >= text.size() || (text[end + 1] != ' ' && text[end + 1] != '\t')) break;
                line = end + 2;
                end = text.find('\n', line);
                if (end == std::string::npos) end = text.size();
            }
            const std::size_t colon = value.find(':');
            return colon == std::string::npos ? std::string() : value.substr(colon + 1);
        }
        at = end + 1;
    }
    return {};
}

std::string ExtensionOf(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

class Run {
public:
    Run(DavClient& dav, const std::string& url, SyncKind& kind, std::map<std::string, SyncEntry>& status,
        const std::atomic<bool>* cancel)
        : dav_(dav), url_(url), kind_(kind), status_(status), cancel_(cancel) {
        base_ = PathOfUrl(url_);
        if (base_.empty() || base_.back() != '/') base_ += '/';
    }

    CollectionSync Go(const std::string& token, bool allowMassDelete);

private:
    std::string Full(const std::string& href) const { return ResolveUrl(url_, href); }
    void Record(const std::string& href, const std::string& key, const std::string& etag,
                const std::string& hash, const std::string& uid) {
        status_[href] = {key, href, etag, hash, uid};
        if (etag.empty()) needEtags_ = true;
    }
    // Counted in all and in the part of the kind the record belongs to.
    void Tally(int SyncCounts::*what, const std::string& key) {
        ++(out_.counts.*what);
        if (const char* part = kind_.Part(key)) ++(out_.parts[part].*what);
    }
    void Pending(const std::string& href, std::optional<SyncEntry> entry) {
        if (entry && entry->etag.empty()) needEtags_ = true;
        out_.pending.emplace_back(href, std::move(entry));
    }
    // False when the server cannot be reached any more: the sync ends.
    bool Check(const HttpResponse& r, const std::string& what) {
        if (Unreachable(r.status)) {
            out_.error = DescribeFailure(r, what);
            return false;
        }
        if (!r.ok()) {
            ++out_.counts.failed;
            out_.counts.notes.push_back(DescribeFailure(r, what));
        }
        return true;
    }
    bool PushLocal(const std::string& key, const std::string& href, const std::string& uid,
                   const std::string& ifMatch);
    bool Conflict(const std::string& key, const std::string& href, const std::string& text,
                  const std::string& etag, const std::string& uid);
    bool BothNew(const std::string& key, const std::string& href, const std::string& text,
                 const std::string& etag);
    bool GetAgain(const std::string& href, std::string& text, std::string& etag);
    // Reading an item can take long (a rule with a tiny interval): a
    // program that ends does not wait for the rest.
    bool Cancelled() {
        if (!cancel_ || !cancel_->load()) return false;
        out_.error = "the sync was stopped";
        return true;
    }
    void Note(const DavResult& r) {
        out_.counts.notes.insert(out_.counts.notes.end(), r.notes.begin(), r.notes.end());
    }
    bool List(const std::string& token);

    DavClient& dav_;
    std::string url_, base_;
    SyncKind& kind_;
    std::map<std::string, SyncEntry>& status_;
    const std::atomic<bool>* cancel_;
    std::map<std::string, std::string> etags_, local_;
    CollectionSync out_;
    bool needEtags_ = false;
    bool leftOver_ = false;
};

bool Run::GetAgain(const std::string& href, std::string& text, std::string& etag) {
    const HttpResponse r = dav_.Get(Full(href));
    if (Unreachable(r.status)) {
        out_.error = DescribeFailure(r, "Fetching " + href);
        return false;
    }
    text = r.ok() ? r.body : std::string();
    etag = r.ok() ? r.etag : std::string();
    return true;
}

// Sends a local record; a 412 means it changed meanwhile: fetched and decided again.
bool Run::PushLocal(const std::string& key, const std::string& href, const std::string& uid,
                    const std::string& ifMatch) {
    const std::string text = kind_.Text(key, uid);
    const HttpResponse r = dav_.Put(Full(href), text, kind_.ContentType(), ifMatch);
    if (r.status == 412) {
        std::string text, etag;
        if (!GetAgain(href, text, etag)) return false;
        if (text.empty()) {
            // Gone meanwhile: the changed record wins and goes up as new.
            const HttpResponse again = dav_.Put(Full(href), text, kind_.ContentType(), {});
            if (!Check(again, "Sending " + href)) return false;
            if (again.ok()) {
                Record(href, key, again.etag, local_[key], uid);
                kind_.Sent(key, text);
            }
            Tally(&SyncCounts::restored, key);
            return true;
        }
        return ifMatch.empty() ? BothNew(key, href, text, etag) : Conflict(key, href, text, etag, uid);
    }
    if (!Check(r, "Sending " + href)) return false;
    if (r.ok()) {
        Record(href, key, r.etag, local_[key], uid);
        kind_.Sent(key, text);
        Tally(&SyncCounts::sentUp, key);
    }
    return true;
}

// Both sides changed: both are kept on both sides. The server's item stays
// as it is and its version becomes the record here; the version made here
// becomes a conflict copy, a record and an item of its own.
bool Run::Conflict(const std::string& key, const std::string& href, const std::string& text,
                   const std::string& etag, const std::string& uid) {
    const SyncKind::Staged theirs = kind_.Read(text);
    if (theirs.ok && theirs.hash == local_[key]) {
        Record(href, key, etag, theirs.hash, uid.empty() ? theirs.uid : uid);
        return true;
    }
    if (!theirs.ok) {
        // Never written over unseen: left as it is until it can be read.
        ++out_.counts.failed;
        out_.counts.notes.push_back(href + " could not be read");
        return true;
    }
    Tally(&SyncCounts::conflicts, key);
    const std::string itsUid = uid.empty() ? theirs.uid : uid;
    // The server's version stays on the server, as the other device wrote
    // it, and comes in as the record of its item.
    const std::string joined = kind_.Joined(key, itsUid, text);
    if (!joined.empty()) {
        // A record that cannot be kept twice (a day's page) holds both, and
        // goes up as the server's item with only its text changed to both.
        const std::string hash = kind_.StageReplace(key, joined);
        kind_.Sent(key, text);
        const std::string both = kind_.Text(key, itsUid);
        const HttpResponse r = dav_.Put(Full(href), both, kind_.ContentType(), etag);
        if (r.status == 412) {
            ++out_.counts.failed;
            out_.counts.notes.push_back(href + " changed again meanwhile; the next sync takes it up");
            return true;
        }
        if (!Check(r, "Sending " + href)) return false;
        if (r.ok()) {
            Pending(href, SyncEntry{key, href, r.etag, hash, itsUid});
            kind_.Sent(key, both);
            out_.counts.notes.push_back("Changed on both sides: " + key +
                                        " holds the server's version below its own (" + href + ")");
        }
        return true;
    }
    // The version here becomes a record of its own, marked, and goes up as
    // an item of its own; one already up from a sync that failed later comes
    // down as a new item instead.
    const std::string copyHref =
        base_ + "conflict-" + HexDigest(href + etag, true) + ExtensionOf(kind_.NewName(key));
    const bool alreadyUp = etags_.count(copyHref) > 0;
    SyncKind::Staged copy;
    if (!alreadyUp) {
        copy = kind_.StageAdd(kind_.Text(key, uid), true);
        if (!copy.ok) {
            ++out_.counts.failed;
            out_.counts.notes.push_back(
                key + " could not be kept apart from the server's version; left for the next sync");
            return true;
        }
    }
    Pending(href, SyncEntry{key, href, etag, kind_.StageReplace(key, text), itsUid});
    if (!alreadyUp) {
        const HttpResponse r = dav_.Put(Full(copyHref), copy.text, kind_.ContentType(), {});
        if (!Check(r, "Sending " + copyHref)) return false;
        Pending(copyHref,
                SyncEntry{copy.key, copyHref, r.status == 412 ? std::string() : r.etag, copy.hash, copy.uid});
    }
    out_.counts.notes.push_back("Changed on both sides: " + key +
                                " is the server's version, the version here a conflict copy (" + copyHref +
                                ")");
    return true;
}

bool Run::BothNew(const std::string& key, const std::string& href, const std::string& text,
                  const std::string& etag) {
    const SyncKind::Staged theirs = kind_.Read(text);
    return Conflict(key, href, text, etag, theirs.ok ? theirs.uid : std::string());
}

// Every member's ETag: from the changes since the token where the server
// offers sync-collection, else from one PROPFIND.
bool Run::List(const std::string& token) {
    const std::vector<std::string> tries =
        token.empty() ? std::vector<std::string>{token} : std::vector<std::string>{token, std::string()};
    for (const std::string& since : tries) {
        DavChanges changes;
        const DavResult r = dav_.ListChanges(url_, since, changes);
        if (!r.ok() && Unreachable(r.status)) {
            out_.error = r.error;
            return false;
        }
        if (!r.ok()) continue;  // not offered, or the token is no longer good
        Note(r);
        if (!since.empty())
            for (const auto& [href, e] : status_) etags_[href] = e.etag;
        for (const std::string& href : changes.removed) etags_.erase(href);
        for (const auto& [href, etag] : changes.changed) etags_[href] = etag;
        out_.token = changes.token;
        return true;
    }
    etags_.clear();
    const DavResult listed = dav_.ListEtags(url_, etags_);
    if (!listed.ok()) out_.error = listed.error;
    Note(listed);
    return listed.ok();
}

CollectionSync Run::Go(const std::string& token, bool allowMassDelete) {
    if (!List(token)) return out_;
    local_ = kind_.LocalHashes();

    // What each item needs, from the status of the last sync.
    std::set<std::string> fetch, claimedKeys;
    // What the sync would delete, and of how many, for each part of the kind
    // apart (pages and notes apart): a part's mass delete is not hidden by another.
    struct Deletes {
        int here = 0, there = 0;
        int ofHere = 0, ofThere = 0;
    };
    std::map<std::string, Deletes> deletes;
    const auto partOf = [&](const std::string& key) {
        const char* part = kind_.Part(key);
        return std::string(part ? part : kind_.Noun());
    };
    for (const auto& [key, hash] : local_) ++deletes[partOf(key)].ofHere;
    for (const auto& [href, e] : status_) {
        if (e.key.empty()) {
            const auto s = etags_.find(href);
            if (s == etags_.end()) continue;
            if (s->second != e.etag) fetch.insert(href);  // another kind's item: it may be ours now
            continue;
        }
        claimedKeys.insert(e.key);
        const auto l = local_.find(e.key);
        const auto s = etags_.find(href);
        const bool here = l != local_.end(), there = s != etags_.end();
        const bool changedHere = here && l->second != e.hash, changedThere = there && s->second != e.etag;
        Deletes& d = deletes[partOf(e.key)];
        if (there) ++d.ofThere;
        if (changedThere) fetch.insert(href);
        if (there && !here && !changedThere) ++d.there;
        if (here && !there && !changedHere) ++d.here;
    }
    std::vector<std::string> fresh;  // local records the server has never seen
    for (const auto& [key, hash] : local_) {
        if (claimedKeys.count(key)) continue;
        fresh.push_back(key);
        const std::string href = base_ + kind_.NewName(key);
        if (etags_.count(href) && !status_.count(href)) fetch.insert(href);
    }
    for (const auto& [href, etag] : etags_)
        if (!status_.count(href)) fetch.insert(href);

    // More than a quarter of a part, and at least five, asks first; so does
    // emptying a part on either side (a file lost here, a server reset).
    const auto many = [](int n, int of) { return n >= 5 && 4 * n > of; };
    std::string stopped;
    for (const auto& [part, d] : deletes) {
        const bool there = many(d.there, d.ofThere) || (d.there > 0 && d.ofHere == 0);
        const bool here = many(d.here, d.ofHere) || (d.here > 0 && d.here == d.ofHere);
        if (there)
            stopped += std::string(stopped.empty() ? "" : " and ") + std::to_string(d.there) + " of " +
                       std::to_string(d.ofThere) + " " + part + " on the server";
        if (here)
            stopped += std::string(stopped.empty() ? "" : " and ") + std::to_string(d.here) + " of " +
                       std::to_string(d.ofHere) + " " + part + " here";
    }
    if (!allowMassDelete && !stopped.empty()) {
        out_.massDelete = true;
        out_.error =
            std::string("Sync stopped before changing any ") + kind_.Noun() + ": it would delete " + stopped;
        return out_;
    }

    std::map<std::string, DavResource> fetched;
    const DavResult got =
        dav_.Fetch(url_, kind_.AddressBook(), std::vector<std::string>(fetch.begin(), fetch.end()), fetched);
    if (!got.ok()) {
        out_.error = got.error;
        return out_;
    }
    Note(got);

    // Items the last sync saw; of other kinds' items only those still there.
    std::map<std::string, SyncEntry> before;
    for (auto it = status_.begin(); it != status_.end();) {
        if (!it->second.key.empty())
            before.insert(*it++);
        else if (!etags_.count(it->first))
            it = status_.erase(it);
        else
            ++it;
    }
    for (const auto& [href, e] : before) {
        if (Cancelled()) return out_;
        const auto l = local_.find(e.key);
        const auto s = etags_.find(href);
        const bool here = l != local_.end(), there = s != etags_.end();
        const bool changedHere = here && l->second != e.hash, changedThere = there && s->second != e.etag;
        const auto f = fetched.find(href);
        if (changedThere && f == fetched.end()) {  // gone meanwhile: the next sync sees it
            leftOver_ = true;
            continue;
        }
        if (here && there) {
            if (changedHere && !changedThere) {
                if (!PushLocal(e.key, href, e.uid, e.etag)) return out_;
            } else if (!changedHere && changedThere) {
                const SyncKind::Staged theirs = kind_.Read(f->second.data);
                if (theirs.ok && theirs.hash == e.hash) {
                    Record(href, e.key, f->second.etag, e.hash, e.uid);
                } else if (theirs.ok) {
                    const std::string hash = kind_.StageReplace(e.key, f->second.data);
                    // A record the other side moved (a page to another day) keeps its item.
                    const std::string key = kind_.KeyAfterReplace(e.key);
                    Pending(href,
                            SyncEntry{key, href, f->second.etag, key.empty() ? std::string() : hash, e.uid});
                    Tally(&SyncCounts::broughtDown, e.key);
                } else {
                    ++out_.counts.failed;
                    out_.counts.notes.push_back(href + " could not be read");
                }
            } else if (changedHere && changedThere) {
                if (!Conflict(e.key, href, f->second.data, f->second.etag, e.uid)) return out_;
            }
        } else if (here) {
            if (!changedHere) {
                kind_.StageRemove(e.key);
                Pending(href, std::nullopt);
                Tally(&SyncCounts::deletedHere, e.key);
            } else {
                // Deleted there, changed here: the change wins and goes back up.
                const std::string text = kind_.Text(e.key, e.uid);
                const HttpResponse r = dav_.Put(Full(href), text, kind_.ContentType(), {});
                if (!Check(r, "Sending " + href)) return out_;
                if (r.ok()) {
                    Record(href, e.key, r.etag, l->second, e.uid);
                    kind_.Sent(e.key, text);
                    Tally(&SyncCounts::restored, e.key);
                }
            }
        } else if (there) {
            std::string text = changedThere ? f->second.data : std::string(), etag = s->second;
            if (!changedThere) {
                const HttpResponse r = dav_.Delete(Full(href), e.etag);
                if (r.ok() || r.status == 404) {
                    status_.erase(href);
                    Tally(&SyncCounts::deletedThere, e.key);
                    continue;
                }
                if (r.status != 412) {
                    if (!Check(r, "Deleting " + href)) return out_;
                    continue;
                }
                if (!GetAgain(href, text, etag)) return out_;
                if (text.empty()) continue;
            }
            // Deleted here, changed there: the change wins and comes back.
            const SyncKind::Staged back = kind_.StageAdd(text, false);
            if (back.ok) {
                Pending(href, SyncEntry{back.key, href, etag, back.hash, e.uid});
                Tally(&SyncCounts::restored, back.key);
            }
        } else {
            status_.erase(href);
        }
    }

    // Records the status does not know that the server holds all the same (a
    // lost status, a folder copied before its first sync): found by UID, by
    // their day, then by content, and compared rather than sent up twice.
    if (!fresh.empty()) {
        std::map<std::string, std::string> freshHash;
        for (const std::string& key : fresh) freshHash[key] = local_[key];
        std::map<std::string, std::string> byContent;
        std::set<std::string> ownNames;  // compared below, as items both sides made
        for (const auto& [key, hash] : freshHash) {
            byContent.emplace(hash, key);
            ownNames.insert(base_ + kind_.NewName(key));
        }
        for (auto it = fetched.begin(); it != fetched.end();) {
            if (Cancelled()) return out_;
            const std::string& href = it->first;
            const DavResource& res = it->second;
            if (before.count(href) || ownNames.count(href) || !kind_.Holds(res.data)) {
                ++it;
                continue;
            }
            const SyncKind::Staged theirs = kind_.Read(res.data);
            std::string key = theirs.ok ? kind_.KeyOfUid(theirs.uid) : std::string();
            if (key.empty() || !freshHash.count(key)) key = kind_.Doubles(res.data);
            if ((key.empty() || !freshHash.count(key)) && theirs.ok && byContent.count(theirs.hash))
                key = byContent[theirs.hash];
            if (!theirs.ok || key.empty() || !freshHash.count(key)) {
                ++it;
                continue;
            }
            if (theirs.hash == freshHash[key]) {
                Record(href, key, res.etag, theirs.hash, theirs.uid);
            } else if (!Conflict(key, href, res.data, res.etag, theirs.uid)) {
                return out_;
            }
            byContent.erase(freshHash[key]);
            freshHash.erase(key);
            fresh.erase(std::find(fresh.begin(), fresh.end(), key));
            it = fetched.erase(it);
        }
    }

    // Records new here; one the server already holds under its name is compared.
    for (const std::string& key : fresh) {
        if (Cancelled()) return out_;
        const std::string href = base_ + kind_.NewName(key);
        const auto f = fetched.find(href);
        if (f != fetched.end()) {
            const DavResource theirs = std::move(f->second);
            fetched.erase(f);
            if (!BothNew(key, href, theirs.data, theirs.etag)) return out_;
        } else if (!PushLocal(key, href, {}, {})) {
            return out_;
        }
    }
    // Items new on the server. One whose UID another item has already is
    // the server's fault (a UID names one item): it is left alone, like
    // another kind's, and not fetched again until it changes.
    std::set<std::string> uids;
    for (const auto& [href, e] : status_)
        if (!e.key.empty() && !e.uid.empty() && etags_.count(href)) uids.insert(e.uid);
    std::size_t repeated = 0;
    for (const auto& [href, res] : fetched) {
        if (Cancelled()) return out_;
        if (before.count(href)) continue;
        if (!kind_.Holds(res.data)) {
            Record(href, {}, res.etag, {}, {});
            continue;
        }
        // A second item for a record that cannot be doubled (a day's page) is
        // another device's: never joined into ours or deleted, only left alone.
        const std::string onto = kind_.Doubles(res.data);
        if (!onto.empty()) {
            Record(href, {}, res.etag, {}, {});
            out_.counts.notes.push_back(href + " is a second item for " + onto +
                                        ", which holds one; it is left on the server as it is");
            continue;
        }
        const std::string uid = FirstUid(res.data);
        if (!uid.empty() && !uids.insert(uid).second) {
            Record(href, {}, res.etag, {}, {});
            ++repeated;
            continue;
        }
        const SyncKind::Staged added = kind_.StageAdd(res.data, false);
        if (!added.ok) {
            ++out_.counts.failed;
            out_.counts.notes.push_back(href + " could not be read");
            continue;
        }
        Pending(href, SyncEntry{added.key, href, res.etag, added.hash, added.uid});
        Tally(&SyncCounts::broughtDown, added.key);
    }
    if (repeated)
        out_.counts.notes.push_back(std::to_string(repeated) + (repeated == 1 ? " item" : " items") +
                                    " on the server repeat the UID of another item; left there as they are");

    // A server that did not tell the new ETags is asked once more for all.
    if (needEtags_) {
        std::map<std::string, std::string> now;
        if (dav_.ListEtags(url_, now).ok()) {
            for (auto& [href, e] : status_)
                if (e.etag.empty() && now.count(href)) e.etag = now[href];
            for (auto& [href, e] : out_.pending)
                if (e && e->etag.empty() && now.count(href)) e->etag = now[href];
        }
    }
    // Something left for the next sync must be listed again: the token would skip it.
    if (out_.counts.failed || leftOver_) out_.token.clear();
    out_.ok = true;
    return out_;
}

}  // namespace

CollectionSync SyncCollection(DavClient& dav, const std::string& collectionUrl, SyncKind& kind,
                              std::map<std::string, SyncEntry>& status, const std::string& token,
                              bool allowMassDelete, const std::atomic<bool>* cancel) {
    return Run(dav, collectionUrl, kind, status, cancel).Go(token, allowMassDelete);
}

void CommitPending(const PendingStatus& pending, std::map<std::string, SyncEntry>& status) {
    for (const auto& [href, entry] : pending) {
        if (entry)
            status[href] = *entry;
        else
            status.erase(href);
    }
}

}  // namespace veltrin
