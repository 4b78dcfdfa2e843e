#include "interop/ContactCards.h"

#include <map>
#include <set>
#include <string_view>

#include "interop/GroupPaths.h"
#include "interop/VCard.h"
#include "storage/StoredText.h"

namespace veltrin {

namespace {

// A field's place by its name, without building a string for each look-up:
// an export looks up some fifty fields per contact.
std::size_t Place(const char* name) {
    static const std::map<std::string_view, std::size_t> places = [] {
        std::map<std::string_view, std::size_t> m;
        for (const ContactField& f : ContactFields()) m[f.name] = static_cast<std::size_t>(f.recordIndex);
        return m;
    }();
    return places.at(name);
}

std::string Field(const ContactItem& c, const char* name) {
    const std::string_view bytes = c.fields[Place(name)];
    // Plain ASCII needs no conversion, and most texts are.
    for (const char ch : bytes)
        if (static_cast<unsigned char>(ch) >= 0x80) return StoredTextToUtf8(std::string(bytes));
    return std::string(bytes);
}

void SetField(ContactItem& c, const char* name, const std::string& text) { c.fields.set(Place(name), text); }

// The fields of an address, in the order of ADR's street, city, region, code, country.
const char* const kHomeAddress[] = {"Home Street", "Home City", "Home State", "Home Postal Code",
                                    "Home Country"};
const char* const kWorkAddress[] = {"Business Street", "Business City", "Business State",
                                    "Business Postal Code", "Business Country"};

struct Phone {
    const char* field;
    const char* types;
};
const Phone kPhones[] = {{"Home Phone", "home,voice"},     {"Home Fax", "home,fax"},     {"Cellular", "cell"},
                         {"Business Phone", "work,voice"}, {"Business Fax", "work,fax"}, {"Pager", "pager"}};

void Line(std::string& out, const std::string& line) { out += FoldContentLine(line); }

void Address(std::string& out, const ContactItem& c, const char* type, const char* const (&fields)[5]) {
    std::string value = ";";
    bool any = false;
    for (const char* f : fields) {
        const std::string text = Field(c, f);
        any = any || !text.empty();
        value += ";" + EscapeCardText(text);
    }
    if (any) Line(out, std::string("ADR;TYPE=") + type + ":" + value);
}

void Text(std::string& out, const char* property, const std::string& text) {
    if (!text.empty()) Line(out, std::string(property) + ":" + EscapeCardText(text));
}

std::string CardOf(const ContactItem& c, const std::string& groupPath) {
    std::string out = "BEGIN:VCARD\r\nVERSION:4.0\r\n";
    std::string fn = Field(c, "Name");
    if (fn.empty())
        fn = Field(c, "First Name") + (Field(c, "Last Name").empty() ? "" : " ") + Field(c, "Last Name");
    Line(out, "FN:" + EscapeCardText(fn));
    Line(out, "N:" + EscapeCardText(Field(c, "Last Name")) + ";" + EscapeCardText(Field(c, "First Name")) +
                  ";" + EscapeCardText(Field(c, "Middle Name")) + ";;");
    Text(out, "NICKNAME", Field(c, "Nickname"));
    Text(out, "EMAIL", Field(c, "E-mail Address"));
    Address(out, c, "home", kHomeAddress);
    Address(out, c, "work", kWorkAddress);
    for (const Phone& p : kPhones) Text(out, (std::string("TEL;TYPE=") + p.types).c_str(), Field(c, p.field));
    if (!Field(c, "Personal Web Page").empty()) Line(out, "URL;TYPE=home:" + Field(c, "Personal Web Page"));
    if (!Field(c, "Business Web Page").empty()) Line(out, "URL;TYPE=work:" + Field(c, "Business Web Page"));
    if (!Field(c, "Company").empty() || !Field(c, "Department").empty())
        Line(out,
             "ORG:" + EscapeCardText(Field(c, "Company")) + ";" + EscapeCardText(Field(c, "Department")));
    Text(out, "TITLE", Field(c, "Job Title"));
    Text(out, "X-VELTRIN-OFFICE", Field(c, "Office Location"));
    Text(out, "NOTE", Field(c, "Notes"));
    Text(out, "CATEGORIES", groupPath);
    return out + "END:VCARD\r\n";
}

// Properties that say nothing a contact keeps, or that the import reads elsewhere.
const std::set<std::string> kNotKept = {"VERSION",    "PRODID", "UID", "REV", "KIND",
                                        "CATEGORIES", "SOURCE", "N",   "FN",  "X-VELTRIN-OFFICE"};

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
        SetField(c_, "Notes", notes);
        return c_;
    }

    // The group path the card came from: its first category.
    const std::string& category() const { return category_; }

private:
    void Put(const char* field, const std::string& text, const std::string& label) {
        if (text.empty()) return;
        const std::string_view held = c_.fields[Place(field)];
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
        if (p.binary || n == "PHOTO" || n == "LOGO") {
            if (n == "PHOTO" || n == "LOGO") ++photos_;
            return;
        }
        if (n == "FN") {
            Put("Name", p.text(), "Name");
        } else if (n == "N") {
            Put("Last Name", At(p, 0), "Last name");
            Put("First Name", At(p, 1), "First name");
            Put("Middle Name", At(p, 2), "Middle name");
        } else if (n == "NICKNAME") {
            Put("Nickname", p.text(), "Nickname");
        } else if (n == "EMAIL") {
            Put("E-mail Address", p.text(), "E-mail");
        } else if (n == "ADR") {
            Address(p);
        } else if (n == "TEL") {
            const bool work = p.hasType("WORK"), fax = p.hasType("FAX");
            const char* field = fax                  ? (work ? "Business Fax" : "Home Fax")
                                : p.hasType("CELL")  ? "Cellular"
                                : p.hasType("PAGER") ? "Pager"
                                : work               ? "Business Phone"
                                                     : "Home Phone";
            Put(field, p.text(), "Phone");
        } else if (n == "URL") {
            Put(p.hasType("WORK") ? "Business Web Page" : "Personal Web Page", p.text(), "Web page");
        } else if (n == "ORG") {
            Put("Company", At(p, 0), "Company");
            std::string units;
            for (std::size_t i = 1; i < p.components.size(); ++i)
                if (!p.components[i].empty()) units += (units.empty() ? "" : "; ") + p.components[i];
            Put("Department", units, "Department");
        } else if (n == "TITLE") {
            Put("Job Title", p.text(), "Job title");
        } else if (n == "X-VELTRIN-OFFICE") {
            Put("Office Location", p.text(), "Office");
        } else if (n == "NOTE") {
            notes_ += (notes_.empty() ? "" : "\n") + p.text();
        } else if (!kNotKept.count(n) && !p.text().empty()) {
            overflow_.push_back(n + ": " + p.text());
        }
    }

    void Address(const CardProperty& p) {
        const bool work = p.hasType("WORK");
        const char* const(&fields)[5] = work ? kWorkAddress : kHomeAddress;
        bool free = true;
        for (const char* f : fields) free = free && Field(c_, f).empty();
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
    std::string name = Field(c, "Name");
    if (name.empty()) name = Field(c, "First Name") + " " + Field(c, "Last Name");
    return name + '\n' + Field(c, "E-mail Address");
}

}  // namespace

namespace {

std::string CardsOf(const ContactStore& store, const std::set<std::int32_t>* groupIds) {
    const std::map<std::int32_t, std::string> paths = GroupPathsById(store.groups);
    std::string out;
    for (const ContactItem& c : store.contacts) {
        if (groupIds && !groupIds->count(c.groupId)) continue;
        const auto path = paths.find(c.groupId);
        out += CardOf(c, path == paths.end() ? std::string() : path->second);
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
    std::set<std::string> known;
    for (const ContactItem& c : store.contacts) known.insert(Identity(c));
    ImportGroups<ContactGroup> groups(store.groups, target);
    for (const Card& card : ReadCards(text)) {
        CardReader reader(report.photosSkipped);
        ContactItem c = reader.Read(card);
        const std::string id = Identity(c);
        if (id == " \n" && Field(c, "Notes").empty()) {
            ++report.skipped;  // nothing a contact could show
            continue;
        }
        if (!known.insert(id).second) {
            ++report.alreadyThere;
            continue;
        }
        c.groupId = groups.For(reader.category());
        store.contacts.push_back(std::move(c));
        ++report.added;
    }
    return report;
}

}  // namespace veltrin
