// The parts of sync that need no server: WebDAV answers, addresses, the
// status and configuration files, and group paths.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "contacts/ContactRecords.h"
#include "events/EventRecords.h"
#include "interop/CalendarItems.h"
#include "interop/GroupOfPath.h"
#include "interop/GroupPaths.h"
#include "support/Fakes.h"
#include "support/ScopedZone.h"
#include "sync/ContactSyncKind.h"
#include "sync/Dav.h"
#include "sync/EventSyncKind.h"
#include "sync/Http.h"
#include "sync/SyncConfig.h"
#include "sync/SyncStatus.h"

using namespace veltrin;
namespace fs = std::filesystem;

TEST(DavAnswers, AMultistatusIsReadWhateverPrefixesTheServerUses) {
    const std::string xml = R"(<?xml version="1.0"?>
<x:multistatus xmlns:x="DAV:" xmlns:C="urn:ietf:params:xml:ns:caldav" xmlns:CS="http://example.org/ns/">
 <x:response><x:href>/anna/cal/</x:href>
  <x:propstat><x:prop><x:resourcetype><x:collection/><C:calendar/></x:resourcetype>
   <C:supported-calendar-component-set><C:comp name="VEVENT"/><C:comp name="VJOURNAL"/></C:supported-calendar-component-set>
   <x:displayname>Mine</x:displayname></x:prop><x:status>HTTP/1.1 200 OK</x:status></x:propstat>
  <x:propstat><x:prop><x:getetag/></x:prop><x:status>HTTP/1.1 404 Not Found</x:status></x:propstat>
 </x:response>
 <x:response><x:href>/anna/cal/a%20b.ics</x:href>
  <x:propstat><x:prop><x:getetag>"e1"</x:getetag><C:calendar-data>BEGIN:VCALENDAR&#13;
END:VCALENDAR</C:calendar-data></x:prop><x:status>HTTP/1.1 200 OK</x:status></x:propstat></x:response>
 <x:response><x:href>/anna/</x:href><x:propstat><x:prop>
   <x:current-user-principal><x:href>/anna/</x:href></x:current-user-principal>
   <C:calendar-home-set><x:href> /anna/ </x:href></C:calendar-home-set>
  </x:prop><x:status>HTTP/1.1 200 OK</x:status></x:propstat></x:response>
</x:multistatus>)";
    const Multistatus m = ReadMultistatus(xml);
    ASSERT_TRUE(m.wellFormed);
    const std::vector<DavResource>& r = m.responses;
    ASSERT_EQ(r.size(), 3u);
    EXPECT_TRUE(r[0].collection && r[0].calendar && !r[0].addressBook);
    EXPECT_EQ(r[0].components, (std::vector<std::string>{"VEVENT", "VJOURNAL"}));
    EXPECT_EQ(r[0].displayName, "Mine");
    EXPECT_EQ(r[0].etag, "");  // only in a propstat that failed
    EXPECT_EQ(r[1].href, "/anna/cal/a%20b.ics");
    EXPECT_EQ(r[1].etag, "\"e1\"");
    EXPECT_EQ(r[1].data, "BEGIN:VCALENDAR\r\nEND:VCALENDAR");
    EXPECT_EQ(r[2].principal, "/anna/");
    EXPECT_EQ(r[2].calendarHome, "/anna/");

    EXPECT_FALSE(ReadMultistatus("<html><body>Proxy error</body></html>").wellFormed);
    EXPECT_FALSE(ReadMultistatus("<d:multistatus xmlns:d='DAV:'><d:response>").wellFormed);
}

TEST(DavAnswers, AnAnswerTooLargeToHoldOrDeclaringEntitiesIsNotRead) {
    // Elements cost memory whatever their size: counted before parsing.
    std::string many = "<d:multistatus xmlns:d='DAV:'>";
    for (std::size_t i = 0; i <= kMaxDavElements; ++i) many += "<a/>";
    many += "</d:multistatus>";
    Multistatus m = ReadMultistatus(many);
    EXPECT_FALSE(m.notRead.empty());
    EXPECT_TRUE(m.responses.empty());

    std::string responses = "<d:multistatus xmlns:d='DAV:'>";
    for (std::size_t i = 0; i <= kMaxDavResponses; ++i) responses += "<d:response/>";
    responses += "</d:multistatus>";
    m = ReadMultistatus(responses);
    EXPECT_NE(m.notRead.find("more than"), std::string::npos) << m.notRead;
    EXPECT_TRUE(m.responses.empty());

    // An answer that declares entities of its own is not read at all.
    std::string laughs = "<?xml version='1.0'?><!DOCTYPE m [<!ENTITY l0 'ha'>";
    for (int i = 1; i < 10; ++i)
        laughs += "<!ENTITY l" + std::to_string(i) + " '" + std::string(10, '&') + "'>";
    laughs +=
        "]><d:multistatus xmlns:d='DAV:'><d:response><d:href>/a/c/x.ics</d:href><d:propstat><d:prop>"
        "<d:getetag>&l9;</d:getetag></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat>"
        "</d:response></d:multistatus>";
    m = ReadMultistatus(laughs);
    EXPECT_NE(m.notRead.find("entities"), std::string::npos) << m.notRead;
    EXPECT_TRUE(m.responses.empty());
}

TEST(DavAddresses, OnlyTheCollectionsOwnMembersAreItsItems) {
    const std::string c = "http://127.0.0.1:5232/anna/calendar/";
    EXPECT_EQ(MemberPath(c, "/anna/calendar/x.ics"), "/anna/calendar/x.ics");
    EXPECT_EQ(MemberPath(c, "x.ics"), "/anna/calendar/x.ics");
    EXPECT_EQ(MemberPath(c, "http://127.0.0.1:5232/anna/calendar/a%20b.ics"), "/anna/calendar/a%20b.ics");
    // Escapes may differ between the collection's address and the server's hrefs.
    EXPECT_EQ(MemberPath("https://h.example/dav/anna%40example.org/cal/", "/dav/anna@example.org/cal/1.ics"),
              "/dav/anna@example.org/cal/1.ics");
    for (const char* outside :
         {"http://127.0.0.1:5233/anna/calendar/x.ics", "https://127.0.0.1:5232/anna/calendar/x.ics",
          "http://dav.example/anna/calendar/x.ics", "/anna/contacts/x.vcf",
          "/anna/calendar/../contacts/x.vcf", "/anna/calendar/%2e%2e/contacts/x.vcf",
          "/anna/calendar/sub/x.ics", "/anna/calendar/", "/anna/calendar", "/anna/calendar/x.ics?delete=all",
          "/anna/calendarx/y.ics", "/"})
        EXPECT_EQ(MemberPath(c, outside), "") << outside;
    EXPECT_TRUE(IsCollectionItself(c, "/anna/calendar"));
    EXPECT_TRUE(IsCollectionItself(c, "/anna/calendar/"));
    EXPECT_FALSE(IsCollectionItself(c, "http://dav.example/anna/calendar/"));

    EXPECT_TRUE(SameServer("http://h.example/", "http://H.example:80/x"));
    EXPECT_TRUE(SameServer("http://h.example/", "https://h.example/x"));  // sent on to https
    EXPECT_FALSE(SameServer("https://h.example/", "http://h.example/x"));
    EXPECT_FALSE(SameServer("http://127.0.0.1:5232/", "http://127.0.0.1:5233/"));
    EXPECT_FALSE(SameServer("http://h.example/", "http://h.example.evil.example/"));
    EXPECT_FALSE(SameServer("http://h.example/", "http://other@evil.example/"));
    // Redirects may move to another port of the host, never down to http.
    EXPECT_TRUE(SameHost("https://h.example/", "https://h.example:8443/dav/"));
    EXPECT_FALSE(SameHost("https://h.example/", "http://h.example/dav/"));
    EXPECT_FALSE(SameHost("https://h.example/", "https://dav.example/"));
}

TEST(DavAddresses, ReferencesResolveAgainstTheUrlTheyCameFrom) {
    EXPECT_EQ(ResolveUrl("https://h.example:8443/dav/cal/", "/dav/cal/x.ics"),
              "https://h.example:8443/dav/cal/x.ics");
    EXPECT_EQ(ResolveUrl("https://h.example/dav/cal/", "x.ics"), "https://h.example/dav/cal/x.ics");
    EXPECT_EQ(ResolveUrl("https://h.example/dav/cal/", "https://other.example/y"), "https://other.example/y");
    EXPECT_EQ(PathOfUrl("http://127.0.0.1:5232/anna/cal/"), "/anna/cal/");
    EXPECT_EQ(PathOfUrl("http://127.0.0.1:5232"), "/");
    EXPECT_TRUE(IsLoopbackUrl("http://127.0.0.1:5232/"));
    EXPECT_TRUE(IsLoopbackUrl("http://localhost/"));
    EXPECT_TRUE(IsLoopbackUrl("http://[::1]:80/"));
    EXPECT_TRUE(IsLoopbackUrl("http://127.0.0.2/"));
    EXPECT_FALSE(IsLoopbackUrl("http://127.0.0.1@example.org/"));
    EXPECT_FALSE(IsLoopbackUrl("http://127.0.0.1.example/"));
    EXPECT_FALSE(IsLoopbackUrl("http://dav.example/"));
}

TEST(DavAddresses, PlainHttpToAnotherMachineIsRefusedBeforeAnythingIsSent) {
    CurlTransport plain(HttpOptions{"anna", "secret"});
    const HttpResponse r = plain.Send({"PROPFIND", "http://example.org/dav/", {}, {}});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.error.find("not encrypted"), std::string::npos) << r.error;
    EXPECT_EQ(r.error.find("secret"), std::string::npos);
    const HttpResponse other = plain.Send({"GET", "ftp://127.0.0.1/", {}, {}});
    EXPECT_NE(other.error.find("not an http:// or https:// address"), std::string::npos) << other.error;

    // Set up for one host, a request to any other is never sent, nor one down to plain http.
    HttpOptions options{"anna", "secret"};
    options.servers = {"https://127.0.0.1:5232/anna/"};
    CurlTransport bound(options);
    for (const char* url : {"https://dav.example/anna/x.ics", "http://127.0.0.1:5232/anna/x.ics"}) {
        const HttpResponse elsewhere = bound.Send({"GET", url, {}, {}});
        EXPECT_EQ(elsewhere.status, 0);
        EXPECT_NE(elsewhere.error.find("another server"), std::string::npos) << elsewhere.error;
    }
}

class SyncFilesTest : public ::testing::Test {
protected:
    test::ProgramFolder folder;
    std::string data() const { return folder.data().string(); }
};

TEST_F(SyncFilesTest, TheStatusKeepsEveryFieldAndADamagedOneIsAnError) {
    SyncStatus status;
    status.of("http://127.0.0.1:5232/cal/")["/cal/a.ics"] = {"event:5", "/cal/a.ics", "\"e\ttab\"", "abc",
                                                             "uid\nwith\\marks"};
    status.of("http://127.0.0.1:5232/cal2/")["/cal2/b.ics"] = {"event:6", "/cal2/b.ics", "e2", "def", ""};
    status.token("http://127.0.0.1:5232/cal2/") = "http://example.org/ns/sync/7";
    const std::string path = data() + "/status";
    std::string why;
    ASSERT_TRUE(status.Save(path, why)) << why;
    SyncStatus read;
    ASSERT_TRUE(read.Load(path, why)) << why;
    const SyncEntry& e = read.of("http://127.0.0.1:5232/cal/").at("/cal/a.ics");
    EXPECT_EQ(e.key, "event:5");
    EXPECT_EQ(e.etag, "\"e\ttab\"");
    EXPECT_EQ(e.uid, "uid\nwith\\marks");
    EXPECT_EQ(read.of("http://127.0.0.1:5232/cal2/").at("/cal2/b.ics").hash, "def");
    EXPECT_EQ(read.token("http://127.0.0.1:5232/cal2/"), "http://example.org/ns/sync/7");
    EXPECT_EQ(read.token("http://127.0.0.1:5232/cal/"), "");

    SyncStatus none;
    EXPECT_TRUE(none.Load(data() + "/absent", why));
    std::ofstream(path, std::ios::app) << "item\tonly three\tfields\n";
    EXPECT_FALSE(read.Load(path, why));
    EXPECT_NE(why.find("damaged at line"), std::string::npos) << why;
    std::ofstream(path) << "something else\n";
    EXPECT_FALSE(read.Load(path, why));
}

TEST_F(SyncFilesTest, TheConfigurationNeverHoldsAPassword) {
    SyncConfig config;
    config.url = "https://dav.example/";
    config.user = "anna";
    config.passwordCommand = "pass show dav";
    config.intervalMinutes = 0;
    config.timeoutSeconds = 7;
    std::string why;
    ASSERT_TRUE(SaveSyncConfig(data(), config, why)) << why;
    EXPECT_EQ(fs::status(SyncFolderOf(data()) + "/config").permissions() & fs::perms::others_read,
              fs::perms::none);
    SyncConfig read;
    ASSERT_TRUE(LoadSyncConfig(data(), read, why)) << why;
    EXPECT_EQ(read.url, config.url);
    EXPECT_EQ(read.passwordCommand, "pass show dav");
    EXPECT_EQ(read.intervalMinutes, 0);
    EXPECT_EQ(read.timeoutSeconds, 7);

    std::ofstream(SyncFolderOf(data()) + "/config", std::ios::app) << "timeout = 0\n";
    EXPECT_FALSE(LoadSyncConfig(data(), read, why));
    EXPECT_NE(why.find("timeout is a number of seconds"), std::string::npos) << why;
    ASSERT_TRUE(SaveSyncConfig(data(), config, why)) << why;
    std::ofstream(SyncFolderOf(data()) + "/config", std::ios::app) << "password = hunter2\n";
    EXPECT_FALSE(LoadSyncConfig(data(), read, why));
    EXPECT_NE(why.find("a password is never kept here"), std::string::npos);
    EXPECT_EQ(why.find("hunter2"), std::string::npos);
    SyncConfig none;
    EXPECT_FALSE(LoadSyncConfig(data() + "/nowhere", none, why));
}

TEST(PasswordCommand, TakesTheFirstLineAndNeverTellsThePassword) {
    std::string password, why;
    ASSERT_TRUE(RunPasswordCommand("printf 'the pass\\r\\nsecond line\\n'", password, why)) << why;
    EXPECT_EQ(password, "the pass");
    EXPECT_FALSE(RunPasswordCommand("echo leaked; exit 3", password, why));
    EXPECT_EQ(why, "the password command failed");
}

TEST(GroupOfPath, FindsAPathOrMakesItsMissingGroupsUnderTheRightParent) {
    // Home, Work (Projects), Leisure
    std::vector<EventGroup> groups = {{0, "Home", 0, 0, 0, 1},
                                      {0, "Work", 0, 0, 0, 2},
                                      {1, "Projects", 0, 0, 0, 3},
                                      {-1, "Leisure", 0, 0, 0, 4}};
    EXPECT_EQ(GroupOfPath(groups, "Work/Projects"), 3);
    EXPECT_EQ(GroupOfPath(groups, ""), 0);
    const std::int32_t made = GroupOfPath(groups, "Work/Clients/Big");
    EXPECT_EQ(GroupPaths(groups), (std::vector<std::string>{"Home", "Work", "Work/Projects", "Work/Clients",
                                                            "Work/Clients/Big", "Leisure"}));
    EXPECT_EQ(groups[4].groupId, made);
    EXPECT_EQ(GroupOfPath(groups, "Work/Clients/Big"), made);
    GroupOfPath(groups, "Travel");
    EXPECT_EQ(GroupPaths(groups).back(), "Travel");
    std::vector<EventGroup> none;
    GroupOfPath(none, "A/B");
    EXPECT_EQ(GroupPaths(none), (std::vector<std::string>{"A", "A/B"}));
    EXPECT_EQ(none[0].levelStep, 0);
}

TEST(EventSyncHash, CountsWhatTravelsButNotTheDueBookkeepingOrHowTextIsStored) {
    EventItem e;
    e.name = "Caf\xE9";
    const std::string hash = EventSyncHash(e, "Home");
    EventItem same = e;
    same.name = "Caf\xC3\xA9";
    same.details.schedule.nextDue = 5;
    same.details.schedule.lastCheck = 6;
    same.iconIndex = 3;
    EXPECT_EQ(EventSyncHash(same, "Home"), hash);
    EXPECT_NE(EventSyncHash(e, "Work"), hash);
    EventItem other = e;
    other.details.schedule.weekday = 3;
    EXPECT_NE(EventSyncHash(other, "Home"), hash);
    other = e;
    other.details.comment = "x";
    EXPECT_NE(EventSyncHash(other, "Home"), hash);
}

// Otherwise a first sync against a calendar that holds the same events, or a
// change brought down, would look like a change on both sides.
TEST(EventSyncHash, AnEventAndItsCalendarItemHashTheSame) {
    test::ScopedZone zone{"Europe/Berlin"};
    const std::vector<EventGroup> groups = {{0, "Caf\xE9", 0, 0, 0, 7}, {1, "Sub", 0, 0, 0, 8}};
    EventItem base;
    base.name = "Caf\xE9 at noon";
    base.details.groupId = 8;
    base.details.eventId = 42;
    base.details.schedule.eventTime = 1'796'700'000;
    std::vector<EventItem> variants(6, base);
    variants[0].details.comment = "two lines\r\nwith blanks at the end  ";
    variants[1].priority = 0;
    variants[2].priority = 11;
    variants[3].details.playSound = 2;
    variants[3].details.showMessage = 12;
    variants[4].actual = 5;
    variants[5].details.filePath = "/tmp/a b.wav\t ";
    for (const EventItem& e : variants) {
        const ReadEvent back = ReadOneEvent(EventToICalendar(e, groups, {}, 1'796'601'600), 1'796'601'600);
        ASSERT_TRUE(back.ok);
        EXPECT_EQ(EventSyncHash(back.event, back.groupPath), EventSyncHash(e, "Caf\xC3\xA9/Sub"))
            << e.details.comment << e.priority << e.details.playSound << e.actual;
    }
}

namespace {

ContactItem Person(const std::string& name, const std::string& email, std::int32_t groupId) {
    ContactItem c;
    c.groupId = groupId;
    c.fields.set(static_cast<std::size_t>(ContactFieldRecordIndex("Name")), name);
    c.fields.set(static_cast<std::size_t>(ContactFieldRecordIndex("E-mail Address")), email);
    return c;
}

std::size_t Field(const char* name) { return static_cast<std::size_t>(ContactFieldRecordIndex(name)); }

// The entries a sync of these keys would have recorded.
std::map<std::string, SyncEntry> EntriesOf(const ContactSyncKind& kind) {
    std::map<std::string, SyncEntry> entries;
    for (const auto& [key, hash] : kind.LocalHashes()) {
        const std::string href = "/anna/book/" + kind.NewName(key);
        entries[href] = {key, href, "\"e\"", hash, {}};
    }
    return entries;
}

}  // namespace

// Contacts have no id of their own: the status gives them one, and a sync
// must find each again after it moved and changed, or it would go up twice.
TEST(ContactSyncKind, AContactIsFoundAgainAfterMovesAndEditsAndOnlyANewOneIsNew) {
    ContactStore store;
    store.groups = {{0, "Friends", 0, 0, 0, 1, 10}, {0, "Work", 0, 0, 0, 1, 20}};
    store.contacts = {Person("Ann Lee", "ann@x.org", 10), Person("Bo Sun", "bo@x.org", 10),
                      Person("Cy Roe", "cy@x.org", 20), Person("Cy Roe", "cy@x.org", 20)};
    std::map<std::string, SyncEntry> entries;
    std::vector<std::string> keys;
    {
        ContactSyncKind first(store, entries);
        keys = first.Keys();
        entries = EntriesOf(first);
    }
    ASSERT_EQ(std::set<std::string>(keys.begin(), keys.end()).size(), 4u);  // the two Cy Roes apart

    // Reordered; Bo moved to Work and his notes edited; Ann renamed and given
    // a new address (nothing left to know her by); one more contact.
    ContactStore now = store;
    now.contacts = {store.contacts[3], store.contacts[1], store.contacts[2], store.contacts[0]};
    now.contacts[1].groupId = 20;
    now.contacts[1].fields.set(Field("Notes"), "met at the fair");
    now.contacts[3].fields.set(Field("Name"), "Ann Lee-Park");
    now.contacts[3].fields.set(Field("E-mail Address"), "ann@park.org");
    now.contacts.push_back(Person("Di Fox", "di@x.org", 10));
    ContactSyncKind again(now, entries);
    EXPECT_EQ(again.Keys()[1], keys[1]);  // Bo
    EXPECT_TRUE((again.Keys()[0] == keys[2] && again.Keys()[2] == keys[3]) ||
                (again.Keys()[0] == keys[3] && again.Keys()[2] == keys[2]));
    const std::set<std::string> old(keys.begin(), keys.end());
    EXPECT_EQ(old.count(again.Keys()[3]), 0u);  // Ann is new; her old entry looks deleted
    EXPECT_EQ(old.count(again.Keys()[4]), 0u);
    for (const auto& [href, e] : entries) {
        if (e.key != keys[1]) continue;
        EXPECT_NE(again.LocalHashes().at(keys[1]), e.hash);  // a change here
    }

    // A copy of the folder that never synced gives its contacts the same keys,
    // so both meet on the server under the same names.
    ContactSyncKind copy(store, {});
    EXPECT_EQ(copy.Keys(), keys);
}

// Otherwise a first sync against an address book that holds the same
// contacts, or a change brought down, would look like a change on both sides.
TEST(ContactSyncKind, AContactAndItsCardHashTheSameAndUnchangedFieldsKeepTheirBytes) {
    ContactStore store;
    store.groups = {{0, "Caf\xE9", 0, 0, 0, 1, 7}, {1, "Sub", 0, 0, 0, 1, 8}};
    store.contacts = {Person("Ren\xE9 Roux", "rene@x.org", 8), Person("", "", 7)};
    store.contacts[0].fields.set(Field("Notes"), "two lines\r\nwith; marks, and \\ too");
    store.contacts[0].fields.set(Field("Home Street"), "1 Rue, Bloc A");
    store.contacts[1].fields.set(Field("First Name"), "Zo\xEB");
    store.contacts[1].fields.set(Field("Last Name"), "Bell");
    ContactSyncKind kind(store, {});
    for (const std::string& key : kind.Keys()) {
        const std::string card = kind.Text(key, {});
        EXPECT_NE(card.find("UID:veltrin-contact-"), std::string::npos) << card;
        EXPECT_NE(card.find("CATEGORIES:Caf\xC3\xA9"), std::string::npos) << card;
        const SyncKind::Staged read = kind.Read(card);
        ASSERT_TRUE(read.ok);
        EXPECT_EQ(read.hash, kind.LocalHashes().at(key)) << card;
        // A card from another program keeps its UID.
        EXPECT_EQ(kind.Read(kind.Text(key, "abc-123")).uid, "abc-123");
    }

    // The server changed the company only: every other field keeps its stored
    // bytes (Windows-1252, CRLF), and the contact stays in its group.
    const std::string key = kind.Keys()[0];
    std::string card = kind.Text(key, {});
    card.insert(card.find("END:VCARD"), "ORG:Roux & Fils\r\n");
    const std::string hash = kind.StageReplace(key, card);
    EXPECT_EQ(hash, kind.Read(card).hash);
    // And a second server version comes in as a marked copy with a UID of its own.
    const SyncKind::Staged copy = kind.StageAdd(kind.Text(kind.Keys()[1], "theirs"), true);
    ASSERT_TRUE(copy.ok);
    EXPECT_TRUE(copy.uid.empty());
    EXPECT_NE(copy.text.find("FN:Zo\xC3\xAB Bell (conflict copy)"), std::string::npos) << copy.text;
    EXPECT_EQ(copy.text.find("theirs"), std::string::npos);
    kind.Apply();
    ASSERT_EQ(store.contacts.size(), 3u);
    const ContactItem& rene = store.contacts[0];
    EXPECT_EQ(rene.fields[Field("Name")], "Ren\xE9 Roux");
    EXPECT_EQ(rene.fields[Field("Notes")], "two lines\r\nwith; marks, and \\ too");
    EXPECT_EQ(rene.fields[Field("Company")], "Roux & Fils");
    EXPECT_EQ(rene.groupId, 8);
    EXPECT_EQ(ContactSyncHash(rene, "Caf\xC3\xA9/Sub"), hash);
    EXPECT_EQ(store.contacts[2].fields[Field("Name")], "Zo\xC3\xAB Bell (conflict copy)");
    EXPECT_EQ(store.contacts[2].groupId, 7);
    EXPECT_EQ(copy.hash, ContactSyncHash(store.contacts[2], "Caf\xC3\xA9"));
}

// A server may answer a multiget with its own escapes of the hrefs asked
// for; each item still comes under the href it was listed by, and an item
// not asked for is passed over.
TEST(DavAnswers, AMultigetIsTakenByTheHrefsAskedWhateverTheirEscapes) {
    struct Rewriting : HttpTransport {
        HttpResponse Send(const HttpRequest& r) override {
            HttpResponse out;
            out.status = 207;
            out.body =
                "<d:multistatus xmlns:d='DAV:' xmlns:c='urn:ietf:params:xml:ns:caldav'>"
                "<d:response><d:href>/anna/cal/a@b.ics</d:href><d:propstat><d:prop><d:getetag>\"1\"</"
                "d:getetag>"
                "<c:calendar-data>A</c:calendar-data></d:prop><d:status>HTTP/1.1 200 "
                "OK</d:status></d:propstat>"
                "</d:response><d:response><d:href>/anna/cal/extra.ics</"
                "d:href><d:propstat><d:prop><d:getetag>\"2\""
                "</d:getetag><c:calendar-data>B</c:calendar-data></d:prop><d:status>HTTP/1.1 200 "
                "OK</d:status>"
                "</d:propstat></d:response></d:multistatus>";
            asked = r.body;
            return out;
        }
        std::string asked;
    } server;
    DavClient dav(server);
    std::map<std::string, DavResource> fetched;
    const DavResult r = dav.Fetch("http://127.0.0.1:5232/anna/cal/", false, {"/anna/cal/a%40b.ics"}, fetched);
    ASSERT_TRUE(r.ok()) << r.error;
    ASSERT_EQ(fetched.size(), 1u);
    EXPECT_EQ(fetched.begin()->first, "/anna/cal/a%40b.ics");
    EXPECT_EQ(fetched.begin()->second.data, "A");
    ASSERT_EQ(r.notes.size(), 1u);
    EXPECT_NE(r.notes[0].find("1 entry of the server's answer brought an item not asked for"),
              std::string::npos)
        << r.notes[0];
}
