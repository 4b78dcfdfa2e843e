#include "interop/ContactCards.h"

#include <algorithm>
#include <array>
#include <cstdint>
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
        case Kind::Tel: {
            const bool work = p.hasType("WORK"), fax = p.hasType("FAX");
            // As kPhoneTypes: home, home fax, cell, work, work fax, pager.
            const std::size_t phone = fax                  ? (work ? 4 : 1)
                                      : p.hasType("CELL")  ? 2
                                      : p.hasType("PAGER") ? 5
                                      : work               ? 3
                                                           : 0;
            Put(P().phones[phone], Text(p), "Phone");
            break;
        }
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

}  // namespace veltrin
