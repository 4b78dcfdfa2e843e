#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

#include "contacts/ContactRecords.h"
#include "settings/AppSettings.h"
#include "storage/DataFile.h"
#include "support/Fakes.h"

using namespace veltrin;
using veltrin::test::ProgramFolder;
using veltrin::test::readAll;
using veltrin::test::writeAll;

namespace {

class ContactsFileTest : public ::testing::Test {
protected:
    void SetUp() override { SharedVersion() = kDefaultVersionBits; }
    ProgramFolder folder;
};

}  // namespace

TEST(ContactFieldTable, NameIsTheFourthStringOfTheRecord) {
    EXPECT_EQ(ContactFieldRecordIndex("Name"), 3);
    EXPECT_EQ(ContactFieldRecordIndex("First Name"), 0);
    EXPECT_EQ(ContactFieldRecordIndex("Middle Name"), 2);
    EXPECT_EQ(ContactFieldRecordIndex("Nickname"), 4);
    EXPECT_EQ(ContactFieldRecordIndex("Notes"), 28);
    EXPECT_EQ(ContactFieldRecordIndex("Shoe Size"), -1);
    // Every record position is used exactly once.
    std::array<int, kContactFieldCount> used{};
    for (const ContactField& f : ContactFields()) ++used.at(f.recordIndex);
    for (int n : used) EXPECT_EQ(n, 1);
    // The contact list's default columns follow the field-name order.
    for (int i = 0; i < kContactFieldCount; ++i)
        EXPECT_EQ(DefaultContactColumns()[i].name, ContactFields()[i].name);
}

TEST(ContactFieldTexts, SettingAFieldLeavesEveryOtherFieldAsItWas) {
    ContactFieldTexts t;
    for (int i = 0; i < kContactFieldCount; ++i) EXPECT_EQ(t[i], "");
    // Filled out of order, then grown, emptied and shrunk in the middle and at both ends.
    t.set(28, "notes");
    t.set(0, "Ann");
    t.set(3, "Ann Lee");
    t.set(14, "https://ann.example.net/");
    t.set(3, "Ann Marie Lee-Smith");
    t.set(0, "");
    t.set(14, "x");
    t.set(28, "met in Oslo");
    t.set(1, t[3].substr(10));  // a text of its own
    const char* expected[kContactFieldCount] = {};
    expected[1] = "Lee-Smith";
    expected[3] = "Ann Marie Lee-Smith";
    expected[14] = "x";
    expected[28] = "met in Oslo";
    for (int i = 0; i < kContactFieldCount; ++i)
        EXPECT_EQ(t[i], expected[i] ? expected[i] : "") << "field " << i;

    // The same texts reached another way are equal; any difference is not.
    ContactFieldTexts u;
    for (int i = kContactFieldCount - 1; i >= 0; --i) u.set(i, t[i]);
    EXPECT_EQ(u, t);
    u.set(2, " ");
    EXPECT_NE(u, t);
    u.set(1, "Lee-Smit");  // the same texts joined, split differently
    u.set(2, "h");
    EXPECT_NE(u, t);
}

TEST(ContactFieldTexts, AssigningEveryFieldReplacesWhatWasThereAndEqualsSettingEach) {
    std::array<std::string, kContactFieldCount> texts;
    texts[0] = "Ann";
    texts[3] = "Ann Lee";
    texts[28] = "line one\nline two";
    ContactFieldTexts bySet;
    for (std::size_t i = 0; i < texts.size(); ++i) bySet.set(i, texts[i]);
    ContactFieldTexts assigned;
    assigned.set(1, "an older text, longer than the new ones");
    assigned.set(14, "x");
    assigned.assign(texts);
    EXPECT_EQ(assigned, bySet);
    for (int i = 0; i < kContactFieldCount; ++i) EXPECT_EQ(assigned[i], texts[i]) << "field " << i;
}

TEST_F(ContactsFileTest, EmptyStoreIsTwentyOneBytes) {
    ContactStore store;
    ASSERT_TRUE(SerializeContactsFile(store, true));
    EXPECT_EQ(readAll(folder.file("Contacts.dat")), std::string("\xCD\xCC\x8C\x3F\x08"
                                                                "Contacts\0\0\0\0\0\0\0\0",
                                                                21));
}

TEST_F(ContactsFileTest, ContactWithEmptyFieldsIsThirtySevenBytes) {
    ContactStore store;
    store.contacts.emplace_back();
    ASSERT_TRUE(SerializeContactsFile(store, true));
    EXPECT_EQ(readAll(folder.file("Contacts.dat")).size(), 21u + 37u);
}

TEST_F(ContactsFileTest, GroupsAndContactsRoundTripWithTheDisplayNameInPlace) {
    ContactStore store;
    store.groups = {
        {0, "Friends", 3, 1, 0, 0, 4711}, {1, "Close", 0, 0, 1, 1, 815}, {-1, "Work", 2, 0, 0, 1, 4711}};
    ContactItem ann;
    ann.groupId = 4711;
    ann.fields.set(ContactFieldRecordIndex("First Name"), "Ann");
    ann.fields.set(ContactFieldRecordIndex("Last Name"), "Lee");
    ann.fields.set(ContactFieldRecordIndex("Name"), "Ann Lee");
    ann.fields.set(ContactFieldRecordIndex("Notes"), "met in Oslo\r\nlikes tea");
    ann.isCurrent = 1;
    ContactItem orphan;
    orphan.groupId = 99;  // names no group: kept, never shown
    orphan.fields.set(0, "Nobody");
    store.contacts = {ann, orphan};
    ASSERT_TRUE(SerializeContactsFile(store, true));

    const std::string bytes = readAll(folder.file("Contacts.dat"));
    EXPECT_NE(bytes.find(std::string("\x03"
                                     "Ann\x03"
                                     "Lee\x00\x07"
                                     "Ann Lee",
                                     17)),
              std::string::npos);

    for (int cycle = 0; cycle < 3; ++cycle) {
        ContactStore back;
        ASSERT_TRUE(SerializeContactsFile(back, false));
        ASSERT_EQ(back.groups.size(), 3u);
        EXPECT_EQ(back.groups[1].name, "Close");
        EXPECT_EQ(back.groups[1].levelStep, 1);
        EXPECT_EQ(back.groups[2].levelStep, -1);
        EXPECT_EQ(back.groups[2].groupId, 4711);
        EXPECT_EQ(back.groups[0].bold, 1);
        ASSERT_EQ(back.contacts.size(), 2u);
        EXPECT_EQ(back.contacts[0].fields, ann.fields);
        EXPECT_EQ(back.contacts[0].isCurrent, 1);
        EXPECT_EQ(back.contacts[1].groupId, 99);
        ASSERT_TRUE(SerializeContactsFile(back, true));
        EXPECT_EQ(readAll(folder.file("Contacts.dat")), bytes);
    }
}

// Contacts are read through one buffer kept from contact to contact: a long
// contact, then a short one, then one cut short each keep their own texts.
TEST_F(ContactsFileTest, EachContactReadKeepsOnlyItsOwnTexts) {
    ContactStore store;
    ContactItem large, small;
    large.groupId = small.groupId = 7;
    for (int i = 0; i < kContactFieldCount; ++i)
        large.fields.set(i, std::string(5000, static_cast<char>('a' + i)));
    small.fields.set(ContactFieldRecordIndex("Name"), "Bo");
    store.contacts = {large, small, small, large, small};
    ASSERT_TRUE(SerializeContactsFile(store, true));
    ContactStore back;
    ASSERT_TRUE(SerializeContactsFile(back, false));
    ASSERT_EQ(back.contacts.size(), store.contacts.size());
    for (std::size_t i = 0; i < store.contacts.size(); ++i)
        EXPECT_EQ(back.contacts[i].fields, store.contacts[i].fields) << "contact " << i;

    // The last contact's texts end early: the ones before stay whole.
    const std::string bytes = readAll(folder.file("Contacts.dat"));
    writeAll(folder.file("Contacts.dat"), bytes.substr(0, bytes.size() - 30));
    ContactStore cut;
    EXPECT_FALSE(SerializeContactsFile(cut, false));
    ASSERT_EQ(cut.contacts.size(), 4u);
    EXPECT_EQ(cut.contacts[3].fields, large.fields);
    EXPECT_EQ(cut.contacts[2].fields, small.fields);
}

namespace {

// A contact's bytes as the file holds them: group, 29 counted strings, flag.
std::string ContactBytes(std::int32_t group, const std::array<std::string, kContactFieldCount>& texts) {
    const auto int32 = [](std::int32_t v) {
        const auto u = static_cast<std::uint32_t>(v);
        return std::string{static_cast<char>(u), static_cast<char>(u >> 8), static_cast<char>(u >> 16),
                           static_cast<char>(u >> 24)};
    };
    std::string s = int32(group);
    for (const std::string& t : texts) s += Archive::lengthPrefix(t.size()) + t;
    return s + int32(0);
}

}  // namespace

TEST_F(ContactsFileTest, TextsOfEveryLengthFormComeBackByteForByte) {
    // Lengths on both sides of each change of the prefix's form, in Windows-1252.
    std::array<std::string, kContactFieldCount> texts;
    const std::size_t lengths[] = {0, 1, 254, 255, 256, 0xFFFD, 0xFFFE, 0xFFFF, 70000};
    for (std::size_t i = 0; i < std::size(lengths); ++i)
        texts[i * 3 + 1] = std::string(lengths[i], static_cast<char>(0xE0 + i));
    const std::string head = std::string(
        "\xCD\xCC\x8C\x3F\x08"
        "Contacts\0\0\0\0\x01\0\0\0",
        21);
    const std::string bytes = head + ContactBytes(12, texts);
    writeAll(folder.file("Contacts.dat"), bytes);

    ContactStore store;
    ASSERT_TRUE(SerializeContactsFile(store, false));
    ASSERT_EQ(store.contacts.size(), 1u);
    for (int i = 0; i < kContactFieldCount; ++i) EXPECT_EQ(store.contacts[0].fields[i], texts[i]) << i;
    std::remove(folder.file("Contacts.dat").c_str());
    ASSERT_TRUE(SerializeContactsFile(store, true));
    EXPECT_EQ(readAll(folder.file("Contacts.dat")), bytes);

    // Fields grown and shrunk across those forms keep every other field.
    ContactFieldTexts& f = store.contacts[0].fields;
    for (std::size_t n : {std::size_t{300}, std::size_t{70000}, std::size_t{3}, std::size_t{0}}) {
        f.set(4, std::string(n, 'g'));
        texts[4] = std::string(n, 'g');
        f.set(28, std::string(n + 1, 'n'));
        texts[28] = std::string(n + 1, 'n');
        for (int i = 0; i < kContactFieldCount; ++i) ASSERT_EQ(f[i], texts[i]) << n << " field " << i;
    }
    ASSERT_TRUE(SerializeContactsFile(store, true));
    EXPECT_EQ(readAll(folder.file("Contacts.dat")), head + ContactBytes(12, texts));
}

// Contacts whose texts lie whole in the read buffer are taken in one piece,
// the others text by text: contacts of many sizes, so that every kind of
// contact meets the buffer's end at many points, come back as they were.
TEST_F(ContactsFileTest, ContactsAcrossTheReadBuffersEndsComeBackByteForByte) {
    const std::string head = std::string(
        "\xCD\xCC\x8C\x3F\x08"
        "Contacts\0\0\0\0",
        17);
    std::vector<std::array<std::string, kContactFieldCount>> all;
    std::uint32_t seed = 12345;
    const auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    for (int c = 0; c < 600; ++c) {
        std::array<std::string, kContactFieldCount> texts;
        for (std::string& t : texts) {
            const std::uint32_t r = next();
            const std::size_t n = r % 97 == 0 ? 254 + r % 4 : r % 23;  // now and then at the long form
            t = std::string(n, static_cast<char>(0x80 + r % 100));
        }
        all.push_back(texts);
    }
    std::string bytes = head;
    for (char b : {char(all.size()), char(all.size() >> 8), '\0', '\0'}) bytes += b;
    for (std::size_t c = 0; c < all.size(); ++c) bytes += ContactBytes(static_cast<std::int32_t>(c), all[c]);
    ASSERT_GT(bytes.size(), 20 * Archive::kBufferSize);
    writeAll(folder.file("Contacts.dat"), bytes);

    ContactStore store;
    ASSERT_TRUE(SerializeContactsFile(store, false));
    ASSERT_EQ(store.contacts.size(), all.size());
    for (std::size_t c = 0; c < all.size(); ++c) {
        ASSERT_EQ(store.contacts[c].groupId, static_cast<std::int32_t>(c));
        for (int i = 0; i < kContactFieldCount; ++i)
            ASSERT_EQ(store.contacts[c].fields[i], all[c][i]) << "contact " << c << " field " << i;
    }
    std::remove(folder.file("Contacts.dat").c_str());
    ASSERT_TRUE(SerializeContactsFile(store, true));
    EXPECT_EQ(readAll(folder.file("Contacts.dat")), bytes);

    // Cut inside the last contact: the ones before it are whole, and it is
    // not half taken.
    writeAll(folder.file("Contacts.dat"), bytes.substr(0, bytes.size() - 7));
    ContactStore cut;
    EXPECT_FALSE(SerializeContactsFile(cut, false));
    ASSERT_EQ(cut.contacts.size(), all.size() - 1);
    for (int i = 0; i < kContactFieldCount; ++i)
        EXPECT_EQ(cut.contacts.back().fields[i], all[all.size() - 2][i]);
}

TEST_F(ContactsFileTest, ATextStoredInSixteenBitUnitsIsWrittenBackInEightBits) {
    std::array<std::string, kContactFieldCount> texts;
    texts[3] = "Zoë";
    // "Zoë" as 16-bit units, under the prefix that announces them.
    std::string bytes = ContactBytes(1, texts);
    const std::string eight = Archive::lengthPrefix(4) + "Zo\xC3\xAB";
    const std::string sixteen = std::string("\xFF\xFE\xFF\x03Z\0o\0\xEB\0", 10);
    bytes.replace(bytes.find(eight), eight.size(), sixteen);
    const std::string head = std::string(
        "\xCD\xCC\x8C\x3F\x08"
        "Contacts\0\0\0\0\x01\0\0\0",
        21);
    writeAll(folder.file("Contacts.dat"), head + bytes);
    ContactStore store;
    ASSERT_TRUE(SerializeContactsFile(store, false));
    ASSERT_EQ(store.contacts.size(), 1u);
    EXPECT_EQ(store.contacts[0].fields[3], "Zo\xC3\xAB");
    EXPECT_EQ(store.contacts[0].fields[4], "");
    ContactItem same;
    same.groupId = 1;
    same.fields.set(3, "Zo\xC3\xAB");
    EXPECT_EQ(store.contacts[0].fields, same.fields);
    ASSERT_TRUE(SerializeContactsFile(store, true));
    EXPECT_EQ(readAll(folder.file("Contacts.dat")), head + ContactBytes(1, texts));
}
