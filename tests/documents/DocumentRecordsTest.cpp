#include <gtest/gtest.h>

#include "documents/DocumentRecords.h"
#include "storage/DataFile.h"
#include "support/Fakes.h"

using namespace veltrin;
using veltrin::test::ProgramFolder;
using veltrin::test::readAll;
using veltrin::test::writeAll;

namespace {

class DocumentFilesTest : public ::testing::Test {
protected:
    void SetUp() override { SharedVersion() = kDefaultVersionBits; }
    ProgramFolder folder;
};

NoteItem note(int step, const std::string& name, int collapsed = 1) {
    NoteItem n;
    n.levelStep = step;
    n.name = name;
    n.collapsed = collapsed;
    n.html = "<p>" + name + "</p>";
    n.created = 1'600'000'000 + step;
    return n;
}

}  // namespace

TEST_F(DocumentFilesTest, EmptyTablesWriteHeaderAndZeroCount) {
    DiaryTable diary;
    NoteTable notes;
    ASSERT_TRUE(SerializeDiaryFile(diary, true));
    ASSERT_TRUE(SerializeNotesFile(notes, true));
    EXPECT_EQ(readAll(folder.file("Diary.dat")), std::string("\xCD\xCC\x8C\x3F\x05"
                                                             "Diary\0\0\0\0",
                                                             14));
    EXPECT_EQ(readAll(folder.file("Notes.dat")), std::string("\xCD\xCC\x8C\x3F\x05"
                                                             "Notes\0\0\0\0",
                                                             14));
    diary.push_back({"kept", "", 0, 0});
    ASSERT_TRUE(SerializeDiaryFile(diary, false));
    EXPECT_EQ(diary.size(), 1u);  // loading appends; an empty file adds nothing
}

TEST_F(DocumentFilesTest, DiaryPagesRoundTripInOrderWithTheSelection) {
    DiaryTable pages = {{"2026, December 05", "<p>Snow</p>", 1'796'428'800, 0},
                        {"2026, December 06", "", 1'796'515'200, 1},
                        {"2026, December 07", std::string(70000, 'x'), 1'796'601'600, 0}};
    ASSERT_TRUE(SerializeDiaryFile(pages, true));
    DiaryTable back;
    ASSERT_TRUE(SerializeDiaryFile(back, false));
    ASSERT_EQ(back.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(back[i].title, pages[i].title);
        EXPECT_EQ(back[i].html, pages[i].html);
        EXPECT_EQ(back[i].date, pages[i].date);
        EXPECT_EQ(back[i].isCurrent, pages[i].isCurrent);
    }
    // The empty text is the single byte 0 between the title and the date.
    const std::string bytes = readAll(folder.file("Diary.dat"));
    const std::string second = std::string("\x11") + "2026, December 06" + '\0';
    EXPECT_NE(bytes.find(second), std::string::npos);
}

TEST_F(DocumentFilesTest, NoteFieldsKeepTheirStoredOrder) {
    NoteTable notes = {note(0, "A", 0), note(1, "A1"), note(0, "A2", 0), note(1, "A2a"), note(-2, "B")};
    notes[2].bold = 1;
    notes[4].iconIndex = 45;
    notes[4].isCurrent = 1;
    ASSERT_TRUE(SerializeNotesFile(notes, true));
    const std::string bytes = readAll(folder.file("Notes.dat"));
    // First record right after the count: step 0, "A", icon 0, bold 0, current 0, collapsed 0.
    EXPECT_EQ(bytes.substr(14, 4 + 2 + 16), std::string("\0\0\0\0\x01"
                                                        "A"
                                                        "\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0",
                                                        22));
    NoteTable back;
    ASSERT_TRUE(SerializeNotesFile(back, false));
    ASSERT_EQ(back.size(), notes.size());
    const int steps[] = {0, 1, 0, 1, -2};
    for (std::size_t i = 0; i < notes.size(); ++i) {
        EXPECT_EQ(back[i].levelStep, steps[i]);
        EXPECT_EQ(back[i].name, notes[i].name);
        EXPECT_EQ(back[i].html, notes[i].html);
        EXPECT_EQ(back[i].created, notes[i].created);
        EXPECT_EQ(back[i].collapsed, notes[i].collapsed);
    }
    EXPECT_EQ(back[2].bold, 1);
    EXPECT_EQ(back[4].iconIndex, 45);
    EXPECT_EQ(back[4].isCurrent, 1);
}

TEST_F(DocumentFilesTest, SignatureDifferingInCaseIsRejectedAndNothingLoaded) {
    DiaryTable pages = {{"t", "h", 5, 0}};
    ASSERT_TRUE(SerializeDiaryFile(pages, true));
    std::string bytes = readAll(folder.file("Diary.dat"));
    bytes.replace(5, 5, "DIARY");
    writeAll(folder.file("Diary.dat"), bytes);
    DiaryTable back;
    EXPECT_FALSE(SerializeDiaryFile(back, false));
    EXPECT_EQ(folder.messages.shown.at(0).text, "Wrong file format!");
    EXPECT_TRUE(back.empty());
}

TEST_F(DocumentFilesTest, TruncatedFileKeepsTheWholeRecordsBeforeTheDamage) {
    NoteTable notes = {note(0, "one"), note(0, "two"), note(0, "three")};
    ASSERT_TRUE(SerializeNotesFile(notes, true));
    const std::string bytes = readAll(folder.file("Notes.dat"));
    writeAll(folder.file("Notes.dat"), bytes.substr(0, bytes.size() - 3));
    NoteTable back;
    EXPECT_FALSE(SerializeNotesFile(back, false));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1].name, "two");
    EXPECT_TRUE(std::filesystem::exists(folder.file("Notes.dat.damaged")));
}

TEST_F(DocumentFilesTest, HugeRecordCountIsRefusedBeforeAnyAllocation) {
    writeAll(folder.file("Diary.dat"), std::string("\xCD\xCC\x8C\x3F\x05"
                                                   "Diary\xFF\xFF\xFF\x7F",
                                                   14));
    DiaryTable back;
    EXPECT_FALSE(SerializeDiaryFile(back, false));
    EXPECT_TRUE(back.empty());
    EXPECT_NE(folder.messages.shown.at(0).text.find("damaged"), std::string::npos);
}
