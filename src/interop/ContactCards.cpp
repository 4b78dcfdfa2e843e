#include "interop/ContactCards.h"

#include <map>
#include <set>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "interop/GroupPaths.h"
#include "interop/VCard.h"
#include "storage/StoredText.h"

namespace veltrin {

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

bool IsAscii(std::string_view bytes) {
    for (const char ch : bytes)
        if (static_cast<unsigned char>(ch) >= 0x80) return false;
    return true;
}

std::string Field(const ContactItem& c, std::size_t place) {
    const std::string_view bytes = c.fields[place];
    // Plain ASCII needs no conversion, and most texts are.
    return IsAscii(bytes) ? std::string(bytes) : StoredTextToUtf8(std::string(bytes));
}

void SetField(ContactItem& c, std::size_t place, const std::string& text) { c.fields.set(place, text); }

// Writes the cards: each content line is built in one buffer, kept between
// lines, and folded into the output.
class CardWriter {
public:
    explicit CardWriter(std::string& out) : out_(out) {}

    void Write(const ContactItem& c, const std::string& groupPath) {
        const Places& p = P();
        c_ = &c;
        out_ += "BEGIN:VCARD\r\nVERSION:4.0\r\n";
        Begin("FN:");
        if (!c.fields[p.name].empty()) {
            Escaped(p.name);
        } else {
            Escaped(p.first);
            if (!c.fields[p.last].empty()) line_ += ' ';
            Escaped(p.last);
        }
        End();
        Begin("N:");
        Escaped(p.last);
        line_ += ';';
        Escaped(p.first);
        line_ += ';';
        Escaped(p.middle);
        line_ += ";;";
        End();
        Text("NICKNAME:", p.nickname);
        Text("EMAIL:", p.email);
        Address("ADR;TYPE=home:;", p.home);
        Address("ADR;TYPE=work:;", p.work);
        for (std::size_t i = 0; i < 6; ++i) {
            if (c.fields[p.phones[i]].empty()) continue;
            Begin("TEL;TYPE=");
            line_ += kPhoneTypes[i];
            line_ += ':';
            Escaped(p.phones[i]);
            End();
        }
        Url("URL;TYPE=home:", p.personalWeb);
        Url("URL;TYPE=work:", p.businessWeb);
        if (!c.fields[p.company].empty() || !c.fields[p.department].empty()) {
            Begin("ORG:");
            Escaped(p.company);
            line_ += ';';
            Escaped(p.department);
            End();
        }
        Text("TITLE:", p.jobTitle);
        Text("X-VELTRIN-OFFICE:", p.office);
        Text("NOTE:", p.notes);
        if (!groupPath.empty()) {
            Begin("CATEGORIES:");
            AppendCardText(line_, groupPath);
            End();
        }
        out_ += "END:VCARD\r\n";
    }

private:
    void Begin(const char* head) { line_.assign(head); }
    void End() { AppendFoldedLine(out_, line_); }
    // The field's text in UTF-8, as it is when plain ASCII.
    std::string_view Utf8(std::size_t place) {
        const std::string_view bytes = c_->fields[place];
        if (IsAscii(bytes)) return bytes;
        converted_ = StoredTextToUtf8(std::string(bytes));
        return converted_;
    }
    void Escaped(std::size_t place) { AppendCardText(line_, Utf8(place)); }
    void Text(const char* head, std::size_t place) {
        if (c_->fields[place].empty()) return;
        Begin(head);
        Escaped(place);
        End();
    }
    // A URL is a URI: written without text escapes.
    void Url(const char* head, std::size_t place) {
        if (c_->fields[place].empty()) return;
        Begin(head);
        line_ += Utf8(place);
        End();
    }
    void Address(const char* head, const std::size_t (&fields)[5]) {
        bool any = false;
        for (std::size_t f : fields) any = any || !c_->fields[f].empty();
        if (!any) return;
        Begin(head);
        for (std::size_t f : fields) {
            line_ += ';';
            Escaped(f);
        }
        End();
    }

    std::string& out_;
    const ContactItem* c_ = nullptr;
    std::string line_, converted_;
};

// What the import does with a property, by its name.
enum class Kind { Other, Picture, FN, N, Nickname, Email, Adr, Tel, Url, Org, Title, Office, Note, NotKept };

Kind KindOf(const std::string& name) {
    // NotKept: says nothing a contact keeps, or the import reads it elsewhere.
    static const std::unordered_map<std::string, Kind> kinds = {{"PHOTO", Kind::Picture},
                                                                {"LOGO", Kind::Picture},
                                                                {"FN", Kind::FN},
                                                                {"N", Kind::N},
                                                                {"NICKNAME", Kind::Nickname},
                                                                {"EMAIL", Kind::Email},
                                                                {"ADR", Kind::Adr},
                                                                {"TEL", Kind::Tel},
                                                                {"URL", Kind::Url},
                                                                {"ORG", Kind::Org},
                                                                {"TITLE", Kind::Title},
                                                                {"X-VELTRIN-OFFICE", Kind::Office},
                                                                {"NOTE", Kind::Note},
                                                                {"VERSION", Kind::NotKept},
                                                                {"PRODID", Kind::NotKept},
                                                                {"UID", Kind::NotKept},
                                                                {"REV", Kind::NotKept},
                                                                {"KIND", Kind::NotKept},
                                                                {"CATEGORIES", Kind::NotKept},
                                                                {"SOURCE", Kind::NotKept}};
    const auto it = kinds.find(name);
    return it == kinds.end() ? Kind::Other : it->second;
}

// Fills a contact from a card: the first value of a kind goes into its field,
// every further one, and every property without a field, into the notes.
class CardReader {
public:
    explicit CardReader(int& photos) : photos_(photos) {}

    ContactItem Read(const Card& card) {
        for (const CardProperty& p : card.properties) {
            if (p.name == "CATEGORIES" && category_.empty() && !p.components.empty())
                category_ = p.components[0];
            Take(p);
        }
        std::string notes = notes_;
        for (const std::string& more : overflow_) notes += (notes.empty() ? "" : "\n") + more;
        SetField(c_, P().notes, notes);
        return c_;
    }

    // The group path the card came from: its first category.
    const std::string& category() const { return category_; }

private:
    void Put(std::size_t field, const std::string& text, const std::string& label) {
        if (text.empty()) return;
        const std::string_view held = c_.fields[field];
        if (held.empty())
            SetField(c_, field, text);
        else if (held != text)
            overflow_.push_back(label + ": " + text);
    }
    static std::string At(const CardProperty& p, std::size_t i) {
        return i < p.components.size() ? p.components[i] : std::string();
    }

    void Take(const CardProperty& p) {
        const std::string& n = p.name;
        const Kind kind = KindOf(n);
        if (p.binary || kind == Kind::Picture) {
            if (kind == Kind::Picture) ++photos_;
            return;
        }
        switch (kind) {
        case Kind::FN: Put(P().name, p.text(), "Name"); break;
        case Kind::N:
            Put(P().last, At(p, 0), "Last name");
            Put(P().first, At(p, 1), "First name");
            Put(P().middle, At(p, 2), "Middle name");
            break;
        case Kind::Nickname: Put(P().nickname, p.text(), "Nickname"); break;
        case Kind::Email: Put(P().email, p.text(), "E-mail"); break;
        case Kind::Adr: Address(p); break;
        case Kind::Tel: {
            const bool work = p.hasType("WORK"), fax = p.hasType("FAX");
            // As kPhoneTypes: home, home fax, cell, work, work fax, pager.
            const std::size_t phone = fax                  ? (work ? 4 : 1)
                                      : p.hasType("CELL")  ? 2
                                      : p.hasType("PAGER") ? 5
                                      : work               ? 3
                                                           : 0;
            Put(P().phones[phone], p.text(), "Phone");
            break;
        }
        case Kind::Url:
            Put(p.hasType("WORK") ? P().businessWeb : P().personalWeb, p.text(), "Web page");
            break;
        case Kind::Org: {
            Put(P().company, At(p, 0), "Company");
            std::string units;
            for (std::size_t i = 1; i < p.components.size(); ++i)
                if (!p.components[i].empty()) units += (units.empty() ? "" : "; ") + p.components[i];
            Put(P().department, units, "Department");
            break;
        }
        case Kind::Title: Put(P().jobTitle, p.text(), "Job title"); break;
        case Kind::Office: Put(P().office, p.text(), "Office"); break;
        case Kind::Note: notes_ += (notes_.empty() ? "" : "\n") + p.text(); break;
        case Kind::NotKept: break;
        default:
            if (!p.text().empty()) overflow_.push_back(n + ": " + p.text());
        }
    }

    void Address(const CardProperty& p) {
        const bool work = p.hasType("WORK");
        const std::size_t(&fields)[5] = work ? P().work : P().home;
        bool free = true;
        for (std::size_t f : fields) free = free && c_.fields[f].empty();
        // Post office box and extended address go in front of the street.
        std::string street;
        for (std::size_t i = 0; i < 3; ++i)
            if (!At(p, i).empty()) street += (street.empty() ? "" : ", ") + At(p, i);
        if (!free) {
            if (!p.text().empty())
                overflow_.push_back(std::string(work ? "Business" : "Home") + " address: " + p.text());
            return;
        }
        SetField(c_, fields[0], street);
        for (std::size_t i = 1; i < 5; ++i) SetField(c_, fields[i], At(p, i + 2));
    }

    ContactItem c_;
    std::string notes_, category_;
    std::vector<std::string> overflow_;
    int& photos_;
};

// What tells two contacts apart on import: the shown name and the e-mail address.
std::string Identity(const ContactItem& c) {
    const Places& p = P();
    std::string name = Field(c, p.name);
    if (name.empty()) name = Field(c, p.first) + " " + Field(c, p.last);
    return name + '\n' + Field(c, p.email);
}

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

ImportReport ImportVCard(ContactStore& store, const std::string& text, const std::string& group) {
    ImportTarget target;
    target.groupName = group;
    return ImportVCard(store, text, target);
}

ImportReport ImportVCard(ContactStore& store, const std::string& text, const ImportTarget& target) {
    ImportReport report;
    std::unordered_set<std::string> known;
    known.reserve(store.contacts.size());
    for (const ContactItem& c : store.contacts) known.insert(Identity(c));
    ImportGroups<ContactGroup> groups(store.groups, target);
    ForEachCard(text, [&](const Card& card) {
        CardReader reader(report.photosSkipped);
        ContactItem c = reader.Read(card);
        std::string id = Identity(c);
        if (id == " \n" && c.fields[P().notes].empty()) {
            ++report.skipped;  // nothing a contact could show
            return;
        }
        if (!known.insert(std::move(id)).second) {
            ++report.alreadyThere;
            return;
        }
        c.groupId = groups.For(reader.category());
        store.contacts.push_back(std::move(c));
        ++report.added;
    });
    return report;
}

}  // namespace veltrin
