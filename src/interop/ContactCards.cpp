#include "interop/ContactCards.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <set>
#include <string_view>

#include "interop/GroupPaths.h"
#include "interop/VCard.h"
#include "storage/StoredText.h"

namespace veltrin {

using namespace std::literals;

namespace {

// A field's place by its name.
std::size_t Place(const char* name) {
    for (const ContactField& f : ContactFields())
        if (std::string_view(f.name) == name) return static_cast<std::size_t>(f.recordIndex);
    return 0;
}

// The places of the fields a card maps, looked up once: an export or an
// import reads some fifty fields per contact.
struct Places {
    std::size_t name, first, last, middle, nickname, email, personalWeb, businessWeb, company, department,
        jobTitle, office, notes;
    std::size_t home[5], work[5];  // ADR's street, city, region, code, country
    std::size_t phones[6];         // as kPhoneTypes
};

const char* const kPhoneTypes[] = {"home,voice", "home,fax", "cell", "work,voice", "work,fax", "pager"};

// Which of the six phone fields a TEL of these types fills, as kPhoneTypes.
template <class Line>
std::size_t PhoneSlot(const Line& p) {
    const bool work = p.hasType("WORK"), fax = p.hasType("FAX");
    return fax ? (work ? 4 : 1) : p.hasType("CELL") ? 2 : p.hasType("PAGER") ? 5 : work ? 3 : 0;
}

const Places& P() {
    static const Places p = [] {
        Places p{};
        p.name = Place("Name");
        p.first = Place("First Name");
        p.last = Place("Last Name");
        p.middle = Place("Middle Name");
        p.nickname = Place("Nickname");
        p.email = Place("E-mail Address");
        p.personalWeb = Place("Personal Web Page");
        p.businessWeb = Place("Business Web Page");
        p.company = Place("Company");
        p.department = Place("Department");
        p.jobTitle = Place("Job Title");
        p.office = Place("Office Location");
        p.notes = Place("Notes");
        const char* const home[] = {"Home Street", "Home City", "Home State", "Home Postal Code",
                                    "Home Country"};
        const char* const work[] = {"Business Street", "Business City", "Business State",
                                    "Business Postal Code", "Business Country"};
        const char* const phones[] = {"Home Phone",     "Home Fax",     "Cellular",
                                      "Business Phone", "Business Fax", "Pager"};
        for (std::size_t i = 0; i < 5; ++i) {
            p.home[i] = Place(home[i]);
            p.work[i] = Place(work[i]);
        }
        for (std::size_t i = 0; i < 6; ++i) p.phones[i] = Place(phones[i]);
        return p;
    }();
    return p;
}

// Writes the cards: each content line is built in one buffer, kept between
// lines, and folded into the output.
class CardWriter {
public:
    explicit CardWriter(std::string& out) : out_(out) {}

    void Write(const ContactItem& c, const std::string& groupPath, const std::string& uid = {}) {
        const Places& p = P();
        c_ = &c;
        out_ += "BEGIN:VCARD\r\nVERSION:4.0\r\n";
        if (!uid.empty()) {
            Begin("UID:");
            out_ += uid;
            End();
        }
        Begin("FN:");
        if (!c.fields[p.name].empty()) {
            Escaped(p.name);
        } else {
            Escaped(p.first);
            if (!c.fields[p.last].empty()) out_ += ' ';
            Escaped(p.last);
        }
        End();
        Begin("N:");
        Escaped(p.last);
        out_ += ';';
        Escaped(p.first);
        out_ += ';';
        Escaped(p.middle);
        out_ += ";;";
        End();
        Text("NICKNAME:", p.nickname);
        Text("EMAIL:", p.email);
        Address("ADR;TYPE=home:;", p.home);
        Address("ADR;TYPE=work:;", p.work);
        for (std::size_t i = 0; i < 6; ++i) {
            if (c.fields[p.phones[i]].empty()) continue;
            Begin("TEL;TYPE=");
            out_ += kPhoneTypes[i];
            out_ += ':';
            Escaped(p.phones[i]);
            End();
        }
        Url("URL;TYPE=home:", p.personalWeb);
        Url("URL;TYPE=work:", p.businessWeb);
        if (!c.fields[p.company].empty() || !c.fields[p.department].empty()) {
            Begin("ORG:");
            Escaped(p.company);
            out_ += ';';
            Escaped(p.department);
            End();
        }
        Text("TITLE:", p.jobTitle);
        Text("X-VELTRIN-OFFICE:", p.office);
        Text("NOTE:", p.notes);
        if (!groupPath.empty()) {
            Begin("CATEGORIES:");
            AppendCardText(out_, groupPath);
            End();
        }
        out_ += "END:VCARD\r\n";
    }

private:
    // A line is written where it goes and folded there when it is long.
    void Begin(std::string_view head) {
        start_ = out_.size();
        out_ += head;
    }
    void End() {
        if (out_.size() - start_ < 75) {
            out_ += "\r\n";
            return;
        }
        line_.assign(out_, start_, std::string::npos);
        out_.resize(start_);
        AppendFoldedLine(out_, line_);
    }
    // The field's text in UTF-8, as it is when it is UTF-8 already.
    std::string_view Utf8(std::size_t place) {
        const std::string_view bytes = c_->fields[place];
        if (IsUtf8(bytes)) return bytes;
        converted_ = StoredTextToUtf8(std::string(bytes));
        return converted_;
    }
    void Escaped(std::size_t place) { AppendCardText(out_, Utf8(place)); }
    void Text(std::string_view head, std::size_t place) {
        if (c_->fields[place].empty()) return;
        Begin(head);
        Escaped(place);
        End();
    }
    // A URL is a URI: written without text escapes.
    void Url(std::string_view head, std::size_t place) {
        if (c_->fields[place].empty()) return;
        Begin(head);
        out_ += Utf8(place);
        End();
    }
    void Address(std::string_view head, const std::size_t (&fields)[5]) {
        bool any = false;
        for (std::size_t f : fields) any = any || !c_->fields[f].empty();
        if (!any) return;
        Begin(head);
        for (std::size_t f : fields) {
            out_ += ';';
            Escaped(f);
        }
        End();
    }

    std::string& out_;
    const ContactItem* c_ = nullptr;
    std::size_t start_ = 0;
    std::string line_, converted_;
};

// What the import does with a property, by its name.
enum class Kind { Other, Picture, FN, N, Nickname, Email, Adr, Tel, Url, Org, Title, Office, Note, NotKept };

Kind KindOf(std::string_view name) {
    // NotKept: says nothing a contact keeps, or the import reads it elsewhere.
    // Chosen by the first letter, as this runs for every property.
    const auto is = [&name](std::string_view known) { return name == known; };
    switch (name.empty() ? '\0' : name[0]) {
    case 'A': return is("ADR") ? Kind::Adr : Kind::Other;
    case 'C': return is("CATEGORIES") ? Kind::NotKept : Kind::Other;
    case 'E': return is("EMAIL") ? Kind::Email : Kind::Other;
    case 'F': return is("FN") ? Kind::FN : Kind::Other;
    case 'K': return is("KIND") ? Kind::NotKept : Kind::Other;
    case 'L': return is("LOGO") ? Kind::Picture : Kind::Other;
    case 'N':
        return is("N") ? Kind::N : is("NICKNAME") ? Kind::Nickname : is("NOTE") ? Kind::Note : Kind::Other;
    case 'O': return is("ORG") ? Kind::Org : Kind::Other;
    case 'P': return is("PHOTO") ? Kind::Picture : is("PRODID") ? Kind::NotKept : Kind::Other;
    case 'R': return is("REV") ? Kind::NotKept : Kind::Other;
    case 'S': return is("SOURCE") ? Kind::NotKept : Kind::Other;
    case 'T': return is("TEL") ? Kind::Tel : is("TITLE") ? Kind::Title : Kind::Other;
    case 'U': return is("URL") ? Kind::Url : is("UID") ? Kind::NotKept : Kind::Other;
    case 'V': return is("VERSION") ? Kind::NotKept : Kind::Other;
    case 'X': return is("X-VELTRIN-OFFICE") ? Kind::Office : Kind::Other;
    default: return Kind::Other;
    }
}

// Fills a contact from a card: the first value of a kind goes into its field,
// every further one, and every property without a field, into the notes. One
// reader serves every card of a file, so its buffers are used again. The
// fields mostly view the card's own texts, so they hold only while the card
// does.
class CardReader {
public:
    explicit CardReader(int& photos) : photos_(photos) {}

    void Read(const CardLines& card) {
        fields_.fill({});
        notes_.clear();
        overflow_.clear();
        category_.clear();
        uid_.clear();
        for (const CardLine& p : card) {
            if (p.name == "CATEGORIES"sv && category_.empty() && !p.components.empty())
                category_ = p.components[0];
            else if (p.name == "UID"sv && uid_.empty())
                uid_ = p.text();
            Take(p);
        }
        const std::size_t notes = P().notes;
        if (overflow_.empty()) {
            fields_[notes] = notes_;
            return;
        }
        std::string& joined = own_[notes];
        joined = notes_;
        if (!joined.empty()) joined += '\n';
        joined += overflow_;
        fields_[notes] = joined;
    }

    // The fields' texts as read, in UTF-8, in record order.
    const std::array<std::string_view, kContactFieldCount>& fields() const { return fields_; }

    // The contact read, its group not set.
    ContactItem Contact() const {
        ContactItem c;
        c.fields.assign(fields_);
        return c;
    }

    // The group path the card came from: its first category.
    const std::string& category() const { return category_; }
    const std::string& uid() const { return uid_; }

private:
    void Put(std::size_t field, std::string_view text, std::string_view label) {
        if (text.empty()) return;
        std::string_view& held = fields_[field];
        if (held.empty()) {
            // A text joined in text_ is copied: text_ serves the next property.
            held = text.data() == text_.data() ? std::string_view(own_[field].assign(text)) : text;
        } else if (held != text) {
            Overflow(label, text);
        }
    }
    // "Label: text" into the notes, after the card's own.
    void Overflow(std::string_view label, std::string_view text) {
        if (!overflow_.empty()) overflow_ += '\n';
        overflow_.append(label).append(": ").append(text);
    }
    static std::string_view At(const CardLine& p, std::size_t i) {
        return i < p.components.size() ? p.components[i] : std::string_view();
    }
    // As CardLine::text(), without a copy when one component holds it all.
    std::string_view Text(const CardLine& p) {
        const std::string_view* only = nullptr;
        for (const std::string_view& c : p.components) {
            if (c.empty()) continue;
            if (only) {
                text_ = p.text();
                return text_;
            }
            only = &c;
        }
        return only ? *only : std::string_view();
    }

    void Take(const CardLine& p) {
        const Kind kind = KindOf(p.name);
        if (p.binary || kind == Kind::Picture) {
            if (kind == Kind::Picture) ++photos_;
            return;
        }
        switch (kind) {
        case Kind::FN: Put(P().name, Text(p), "Name"); break;
        case Kind::N:
            Put(P().last, At(p, 0), "Last name");
            Put(P().first, At(p, 1), "First name");
            Put(P().middle, At(p, 2), "Middle name");
            break;
        case Kind::Nickname: Put(P().nickname, Text(p), "Nickname"); break;
        case Kind::Email: Put(P().email, Text(p), "E-mail"); break;
        case Kind::Adr: Address(p); break;
        case Kind::Tel: Put(P().phones[PhoneSlot(p)], Text(p), "Phone"); break;
        case Kind::Url:
            Put(p.hasType("WORK") ? P().businessWeb : P().personalWeb, Text(p), "Web page");
            break;
        case Kind::Org: {
            Put(P().company, At(p, 0), "Company");
            text_.clear();
            for (std::size_t i = 1; i < p.components.size(); ++i) {
                if (p.components[i].empty()) continue;
                if (!text_.empty()) text_ += "; ";
                text_ += p.components[i];
            }
            Put(P().department, text_, "Department");
            break;
        }
        case Kind::Title: Put(P().jobTitle, Text(p), "Job title"); break;
        case Kind::Office: Put(P().office, Text(p), "Office"); break;
        case Kind::Note: {
            const std::string_view text = Text(p);
            if (!notes_.empty()) notes_ += '\n';
            notes_ += text;
            break;
        }
        case Kind::NotKept: break;
        default:
            if (const std::string_view text = Text(p); !text.empty()) Overflow(p.name, text);
        }
    }

    void Address(const CardLine& p) {
        const bool work = p.hasType("WORK");
        const std::size_t(&fields)[5] = work ? P().work : P().home;
        bool free = true;
        for (std::size_t f : fields) free = free && fields_[f].empty();
        if (!free) {
            if (const std::string_view text = Text(p); !text.empty())
                Overflow(work ? "Business address" : "Home address", text);
            return;
        }
        // Post office box and extended address go in front of the street.
        std::string& street = own_[fields[0]];
        street.clear();
        for (std::size_t i = 0; i < 3; ++i) {
            if (At(p, i).empty()) continue;
            if (!street.empty()) street += ", ";
            street += At(p, i);
        }
        fields_[fields[0]] = street;
        for (std::size_t i = 1; i < 5; ++i) fields_[fields[i]] = At(p, i + 2);
    }

    std::array<std::string_view, kContactFieldCount> fields_;
    // The texts of fields that no single component of the card holds.
    std::array<std::string, kContactFieldCount> own_;
    std::string notes_, overflow_, category_, uid_, text_;
    int& photos_;
};

// Appends a field's text in UTF-8: as it is when it is UTF-8 already, as most texts are.
void AppendUtf8(std::string& out, std::string_view bytes) {
    if (IsUtf8(bytes))
        out.append(bytes);
    else
        out += StoredTextToUtf8(std::string(bytes));
}

// What tells two contacts apart on import: the shown name and the e-mail
// address, from the fields' texts.
template <class Fields>
void Identity(const Fields& fields, std::string& id) {
    const Places& p = P();
    id.clear();
    AppendUtf8(id, fields[p.name]);
    if (id.empty()) {
        AppendUtf8(id, fields[p.first]);
        id += ' ';
        AppendUtf8(id, fields[p.last]);
    }
    id += '\n';
    AppendUtf8(id, fields[p.email]);
}

// The identities met so far. They are kept in one text, found through a table
// of their hashes, open addressed: an import of a large address book asks for
// each of its cards, and a set of strings spent most of that time allocating.
class IdentitySet {
public:
    // False when id was already there.
    bool Insert(std::string_view id) {
        if (2 * (entries_.size() + 1) > slots_.size()) Grow();
        const auto hash = static_cast<std::uint32_t>(std::hash<std::string_view>()(id));
        std::size_t at = hash & (slots_.size() - 1);
        for (; slots_[at].entry; at = (at + 1) & (slots_.size() - 1)) {
            if (slots_[at].hash != hash) continue;
            const Entry& e = entries_[slots_[at].entry - 1];
            if (std::string_view(text_).substr(e.begin, e.size) == id) return false;
        }
        entries_.push_back({text_.size(), id.size()});
        text_.append(id);
        slots_[at] = {hash, static_cast<std::uint32_t>(entries_.size())};
        return true;
    }

private:
    struct Entry {
        std::size_t begin, size;
    };
    // The hash beside the entry, so a miss reads one place; eight bytes, so
    // a large table still keeps in the cache.
    struct Slot {
        std::uint32_t hash, entry;  // entry: its index + 1, 0 when the slot is free
    };

    void Grow() {
        std::vector<Slot> old(std::max<std::size_t>(64, 2 * slots_.size()));
        old.swap(slots_);
        for (const Slot& s : old) {
            if (!s.entry) continue;
            std::size_t at = s.hash & (slots_.size() - 1);
            while (slots_[at].entry) at = (at + 1) & (slots_.size() - 1);
            slots_[at] = s;
        }
    }

    std::string text_;
    std::vector<Entry> entries_;
    std::vector<Slot> slots_;
};

}  // namespace

namespace {

std::string CardsOf(const ContactStore& store, const std::set<std::int32_t>* groupIds) {
    const std::map<std::int32_t, std::string> paths = GroupPathsById(store.groups);
    static const std::string kNoPath;
    std::string out;
    out.reserve(store.contacts.size() * 256);  // about a card's size, so the text grows rarely
    CardWriter writer(out);
    for (const ContactItem& c : store.contacts) {
        if (groupIds && !groupIds->count(c.groupId)) continue;
        const auto path = paths.find(c.groupId);
        writer.Write(c, path == paths.end() ? kNoPath : path->second);
    }
    return out;
}

}  // namespace

std::string ContactsToVCard(const ContactStore& store, const std::string& group) {
    if (group.empty()) return CardsOf(store, nullptr);
    const std::set<std::int32_t> ids = GroupWithSubgroups(store.groups, group);
    return CardsOf(store, &ids);
}

std::string ContactsToVCard(const ContactStore& store, const std::set<std::int32_t>& groupIds) {
    return CardsOf(store, &groupIds);
}

std::string ContactToVCard(const ContactItem& contact, const std::string& groupPath, const std::string& uid) {
    std::string out;
    CardWriter(out).Write(contact, groupPath, uid);
    return out;
}

ReadContact ReadOneContact(const std::string& text) {
    ReadContact read;
    int photos = 0;
    CardReader reader(photos);
    ForEachCard(text, [&](const CardLines& card) {
        if (read.ok) return;
        reader.Read(card);
        read.ok = true;
        read.contact = reader.Contact();
        read.uid = reader.uid();
        read.groupPath = reader.category();
    });
    return read;
}

ImportReport ImportVCard(ContactStore& store, const std::string& text, const std::string& group) {
    ImportTarget target;
    target.groupName = group;
    return ImportVCard(store, text, target);
}

ImportReport ImportVCard(ContactStore& store, const std::string& text, const ImportTarget& target) {
    ImportReport report;
    IdentitySet known;
    std::string id;
    for (const ContactItem& c : store.contacts) {
        Identity(c.fields, id);
        known.Insert(id);
    }
    ImportGroups<ContactGroup> groups(store.groups, target);
    CardReader reader(report.photosSkipped);
    ForEachCard(text, [&](const CardLines& card) {
        reader.Read(card);
        Identity(reader.fields(), id);
        if (id == " \n" && reader.fields()[P().notes].empty()) {
            ++report.skipped;  // nothing a contact could show
            return;
        }
        if (!known.Insert(id)) {
            ++report.alreadyThere;
            return;
        }
        ContactItem c = reader.Contact();
        c.groupId = groups.For(reader.category());
        store.contacts.push_back(std::move(c));
        ++report.added;
    });
    return report;
}

namespace {

// One content line of a card as it stands in the text, with what a patch
// needs to find it: its group, name and types.
struct RawCardLine {
    std::string raw;     // its bytes, folds and line end included
    std::string group;   // "item1" of "item1.URL"
    std::string name;    // upper case
    std::string params;  // ";TYPE=work;PREF=1", as written
    std::string value;   // unfolded, as written
    std::vector<std::string> types;

    bool hasType(std::string_view type) const {
        return std::find(types.begin(), types.end(), type) != types.end();
    }
};

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::vector<RawCardLine> RawCardLines(const std::string& text) {
    std::vector<RawCardLine> lines;
    std::vector<std::string> unfolded;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        const std::string piece = text.substr(at, end - at);
        std::string bare = piece;
        while (!bare.empty() && (bare.back() == '\n' || bare.back() == '\r')) bare.pop_back();
        // A folded line goes on with a blank; a quoted-printable one after a soft break.
        const bool folded = !lines.empty() && !piece.empty() && (piece[0] == ' ' || piece[0] == '\t');
        const bool soft =
            !lines.empty() && !unfolded.back().empty() && unfolded.back().back() == '=' &&
            Upper(lines.back().raw.substr(0, lines.back().raw.find(':'))).find("QUOTED-PRINTABLE") !=
                std::string::npos;
        if (folded || soft) {
            lines.back().raw += piece;
            unfolded.back() += folded ? bare.substr(1) : bare;
        } else {
            lines.push_back({piece, {}, {}, {}, {}, {}});
            unfolded.push_back(bare);
        }
        at = end;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        RawCardLine& l = lines[i];
        const std::string& all = unfolded[i];
        bool quoted = false;
        std::size_t colon = 0;
        while (colon < all.size() && (all[colon] != ':' || quoted)) quoted ^= all[colon++] == '"';
        const std::string head = all.substr(0, colon);
        l.value = colon < all.size() ? all.substr(colon + 1) : std::string();
        const std::size_t semicolon = std::min(head.find(';'), head.size());
        std::string name = head.substr(0, semicolon);
        if (const std::size_t dot = name.find('.'); dot != std::string::npos) {
            l.group = name.substr(0, dot);
            name = name.substr(dot + 1);
        }
        l.name = Upper(name);
        l.params = head.substr(semicolon);
        for (std::size_t at = 1; at < l.params.size();) {
            std::size_t end = l.params.find(';', at);
            if (end == std::string::npos) end = l.params.size();
            const std::string param = Upper(l.params.substr(at, end - at));
            const std::size_t eq = param.find('=');
            const std::string key = param.substr(0, eq),
                              values = eq == std::string::npos ? key : param.substr(eq + 1);
            if (eq == std::string::npos || key == "TYPE")
                for (std::size_t v = 0; v <= values.size();) {
                    std::size_t comma = values.find(',', v);
                    if (comma == std::string::npos) comma = values.size();
                    std::string type = values.substr(v, comma - v);
                    type.erase(std::remove(type.begin(), type.end(), '"'), type.end());
                    l.types.push_back(type);
                    v = comma + 1;
                }
            at = end + 1;
        }
    }
    return lines;
}

// The parameters of a line without those that said how its old value was
// encoded: the new one is plain UTF-8.
std::string PlainParams(const std::string& params) {
    std::string out;
    for (std::size_t at = 1; at < params.size();) {
        std::size_t end = params.find(';', at);
        if (end == std::string::npos) end = params.size();
        const std::string param = params.substr(at, end - at), upper = Upper(param);
        if (upper.rfind("ENCODING=", 0) != 0 && upper.rfind("CHARSET=", 0) != 0 &&
            upper != "QUOTED-PRINTABLE")
            out += ";" + param;
        at = end + 1;
    }
    return out;
}

// A value's components as written, split at unescaped semicolons.
std::vector<std::string> Components(const std::string& value) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            parts.back() += value.substr(i++, 2);
        } else if (value[i] == ';') {
            parts.emplace_back();
        } else {
            parts.back() += value[i];
        }
    }
    return parts;
}

std::string Esc(std::string_view text) {
    std::string out;
    AppendCardText(out, text);
    return out;
}

}  // namespace

// Another program's card is patched as text, like its events: a changed
// field's value replaces the property it came from, keeping that line's
// group and parameters; every other line stays byte for byte.
std::string PatchContactCard(const std::string& original, const ContactItem& contact,
                             const std::string& groupPath, std::int64_t moment) {
    const ReadContact was = ReadOneContact(original);
    if (!was.ok) return {};
    // Both sides as our card reads back, so that only what differs in meaning counts.
    const ReadContact a = ReadOneContact(ContactToVCard(was.contact, was.groupPath, {}));
    const ReadContact b = ReadOneContact(ContactToVCard(contact, groupPath, {}));
    const auto field = [&b](std::size_t f) { return std::string(b.contact.fields[f]); };
    const auto changed = [&](std::initializer_list<std::size_t> fields) {
        for (std::size_t f : fields)
            if (a.contact.fields[f] != b.contact.fields[f]) return true;
        return false;
    };
    std::vector<RawCardLine> lines = RawCardLines(original);
    std::size_t begin = lines.size(), end = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (begin == lines.size() && lines[i].name == "BEGIN" && Upper(lines[i].value) == "VCARD") begin = i;
        if (begin < i && lines[i].name == "END" && Upper(lines[i].value) == "VCARD") {
            end = i;
            break;
        }
    }
    if (end == lines.size()) return {};
    std::string added;  // new lines, before the card's end
    const auto set = [&](const std::function<bool(const RawCardLine&)>& is, const std::string& name,
                         const std::string& newParams, const std::string& value, bool empty) {
        for (std::size_t i = begin + 1; i < end; ++i) {
            RawCardLine& l = lines[i];
            if (!is(l)) continue;
            l.raw.clear();
            if (!empty)
                AppendFoldedLine(l.raw, (l.group.empty() ? "" : l.group + ".") + l.name +
                                            PlainParams(l.params) + ":" + value);
            return;
        }
        if (!empty) AppendFoldedLine(added, name + newParams + ":" + value);
    };
    const auto named = [](const char* name) {
        return [name](const RawCardLine& l) { return l.name == name; };
    };
    const Places& p = P();
    if (changed({p.name, p.first, p.last})) {
        const std::string shown =
            !field(p.name).empty() ? field(p.name) : field(p.first) + " " + field(p.last);
        set(named("FN"), "FN", "", Esc(shown), false);
    }
    if (changed({p.last, p.first, p.middle})) {
        std::vector<std::string> old;
        for (const RawCardLine& l : lines)
            if (l.name == "N") old = Components(l.value);
        old.resize(5);
        set(named("N"), "N", "",
            Esc(field(p.last)) + ";" + Esc(field(p.first)) + ";" + Esc(field(p.middle)) + ";" + old[3] + ";" +
                old[4],
            false);
    }
    for (const auto& [place, name] :
         {std::make_pair(p.nickname, "NICKNAME"), std::make_pair(p.email, "EMAIL"),
          std::make_pair(p.jobTitle, "TITLE"), std::make_pair(p.office, "X-VELTRIN-OFFICE")})
        if (changed({place})) set(named(name), name, "", Esc(field(place)), field(place).empty());
    for (const bool work : {false, true}) {
        const std::size_t(&f)[5] = work ? p.work : p.home;
        const auto isAdr = [work](const RawCardLine& l) {
            return l.name == "ADR" && l.hasType("WORK") == work;
        };
        if (changed({f[0], f[1], f[2], f[3], f[4]})) {
            std::vector<std::string> old;
            for (const RawCardLine& l : lines)
                if (isAdr(l) && old.empty()) old = Components(l.value);
            old.resize(7);
            // Post office box and extended address were read in front of the street.
            const std::string street =
                changed({f[0]}) ? ";;" + Esc(field(f[0])) : old[0] + ";" + old[1] + ";" + old[2];
            bool any = false;
            for (std::size_t x : f) any = any || !field(x).empty();
            set(isAdr, "ADR", work ? ";TYPE=work" : ";TYPE=home",
                street + ";" + Esc(field(f[1])) + ";" + Esc(field(f[2])) + ";" + Esc(field(f[3])) + ";" +
                    Esc(field(f[4])),
                !any);
        }
        const std::size_t web = work ? p.businessWeb : p.personalWeb;
        if (changed({web}))
            set([work](const RawCardLine& l) { return l.name == "URL" && l.hasType("WORK") == work; }, "URL",
                work ? ";TYPE=work" : ";TYPE=home", field(web), field(web).empty());
    }
    for (std::size_t i = 0; i < 6; ++i)
        if (changed({p.phones[i]}))
            set([i](const RawCardLine& l) { return l.name == "TEL" && PhoneSlot(l) == i; }, "TEL",
                std::string(";TYPE=") + kPhoneTypes[i], Esc(field(p.phones[i])), field(p.phones[i]).empty());
    if (changed({p.company, p.department}))
        set(named("ORG"), "ORG", "", Esc(field(p.company)) + ";" + Esc(field(p.department)),
            field(p.company).empty() && field(p.department).empty());
    if (changed({p.notes})) {
        // The notes hold what the card had beyond the fields, after its NOTE:
        // that part stays in its own properties.
        std::string note;
        for (const Card& card : ReadCards(original)) {
            for (const CardProperty& prop : card.properties)
                if (prop.name == "NOTE") note += (note.empty() ? "" : "\n") + prop.text();
            break;
        }
        const std::string old(a.contact.fields[p.notes]);
        const std::string beyond =
            old.compare(0, note.size(), note) == 0 ? old.substr(note.size()) : std::string();
        std::string now = field(p.notes);
        if (!beyond.empty() && now.size() >= beyond.size() &&
            now.compare(now.size() - beyond.size(), beyond.size(), beyond) == 0)
            now.resize(now.size() - beyond.size());
        set(named("NOTE"), "NOTE", "", Esc(now), now.empty());
    }
    if (a.groupPath != b.groupPath) {
        std::vector<std::string> old;
        for (const RawCardLine& l : lines)
            if (l.name == "CATEGORIES" && old.empty()) old = {l.value};
        std::string rest;
        if (!old.empty()) {
            const std::string& v = old[0];
            std::size_t comma = 0;
            while (comma < v.size() && v[comma] != ',') comma += v[comma] == '\\' ? 2 : 1;
            if (comma < v.size()) rest = v.substr(comma + 1);
        }
        const std::string first = Esc(b.groupPath);
        const std::string value = first + (first.empty() || rest.empty() ? "" : ",") + rest;
        set(named("CATEGORIES"), "CATEGORIES", "", value, value.empty());
    }
    // Bookkeeping: when the card was last changed.
    char rev[32];
    const std::time_t t = static_cast<std::time_t>(moment);
    std::tm utc{};
    ::gmtime_r(&t, &utc);
    std::strftime(rev, sizeof rev, "%Y%m%dT%H%M%SZ", &utc);
    set(named("REV"), "REV", "", rev, false);

    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == end) out += added;
        out += lines[i].raw;
    }
    return out;
}

}  // namespace veltrin
