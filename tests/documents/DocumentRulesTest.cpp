#include "documents/DocumentRules.h"

#include <gtest/gtest.h>

#include "base/LocalTime.h"
#include "support/ScopedZone.h"

using namespace veltrin;

namespace {

std::int32_t Day(int year, int month, int day) {
    return static_cast<std::int32_t>(*MakeLocalTime(year, month, day, 0, 0, 0));
}

// A page list as the Diary view holds it: titles and dates in list order.
struct PageList : ::testing::Test {
    test::ScopedZone zone{"Europe/Berlin"};
    GroupTreeModel list;

    NodeHandle add(std::int32_t date) {
        const DiaryPlace place = FindDiaryPlace(list, date);
        if (place.existing != kNoNode) return place.existing;
        const NodeHandle node = list.InsertItem(kRootNode, place.after, DiaryTitle(date), 0);
        list.SetPagePayload(node, TextPayload{"<body></body>", date});
        return node;
    }
    std::vector<std::string> titles() const {
        std::vector<std::string> out;
        for (NodeHandle n = list.GetNextItem(kRootNode, kFirstChild); n;
             n = list.GetNextItem(n, kNextSibling))
            out.push_back(list.GetItemText(n, 0));
        return out;
    }
};

}  // namespace

TEST_F(PageList, PagesGoInDateOrderWhateverOrderTheyAreMadeIn) {
    add(Day(2004, 3, 5));
    add(Day(2004, 3, 1));
    add(Day(2004, 3, 9));
    EXPECT_EQ(titles(), (std::vector<std::string>{"2004, March 01", "2004, March 05", "2004, March 09"}));

    // Earlier than every page: first; between two: between; after all: last.
    add(Day(2003, 12, 31));
    add(Day(2004, 3, 7));
    add(Day(2005, 1, 1));
    EXPECT_EQ(titles(), (std::vector<std::string>{"2003, December 31", "2004, March 01", "2004, March 05",
                                                  "2004, March 07", "2004, March 09", "2005, January 01"}));
}

TEST_F(PageList, ADayWithAPageReusesItAndMakesNothingNew) {
    const NodeHandle first = add(Day(2004, 3, 5));
    add(Day(2004, 3, 9));
    const DiaryPlace again = FindDiaryPlace(list, Day(2004, 3, 5));
    EXPECT_EQ(again.existing, first);
    EXPECT_EQ(titles().size(), 2u);

    // A title found ignoring case counts as the same day (older files may
    // hold other capitals).
    list.SetItemText(first, 0, "2004, MARCH 05");
    EXPECT_EQ(FindDiaryPlace(list, Day(2004, 3, 5)).existing, first);
}

TEST_F(PageList, AnEmptyListTakesTheFirstPageFirst) {
    const DiaryPlace place = FindDiaryPlace(list, Day(2010, 6, 1));
    EXPECT_EQ(place.existing, kNoNode);
    EXPECT_EQ(place.after, kInsertFirst);
}

TEST(DiaryTexts, TitlesCaptionsAndExportNamesFollowTheLocalDay) {
    test::ScopedZone zone("Europe/Berlin");
    const std::int32_t day = Day(2004, 3, 5);
    EXPECT_EQ(DiaryTitle(day), "2004, March 05");
    EXPECT_EQ(DiaryExportName(day), "Diary 05-03-2004");
    EXPECT_EQ(NewDiaryPageTitle(day), "New Diary page: Friday, March 05, 2004");
    // The last second of the day is still that day.
    EXPECT_EQ(DiaryExportName(day + 86399), "Diary 05-03-2004");
}

TEST(NoteTexts, ExportNameKeepsTheNameButMakesPathSeparatorsHarmless) {
    EXPECT_EQ(NoteExportName("Shopping"), "Shopping");
    EXPECT_EQ(NoteExportName("a/b/../c"), "a_b_.._c");
    EXPECT_EQ(NoteExportName(std::string("x\0y", 3)), "x_y");
    EXPECT_EQ(NoteExportName("Caf\xe9 notes"), "Caf\xe9 notes");  // stored bytes kept
}

TEST(NoteTexts, RenameAnswerRefusesInvalidTextAndKeepsContinueOpen) {
    EXPECT_EQ(NoteRenameAnswer("invalid text"), kAnswerRefuse);
    EXPECT_EQ(NoteRenameAnswer("INVALID Text"), kAnswerRefuse);
    EXPECT_EQ(NoteRenameAnswer("continue"), kAnswerKeepOpen);
    EXPECT_EQ(NoteRenameAnswer("Continue"), kAnswerKeepOpen);
    // Only the whole text counts.
    EXPECT_EQ(NoteRenameAnswer("continue "), 0u);
    EXPECT_EQ(NoteRenameAnswer("invalid texts"), 0u);
    EXPECT_EQ(NoteRenameAnswer(""), 0u);
    EXPECT_EQ(NoteRenameAnswer("Holiday"), 0u);
}

TEST(EditorRules, DocumentChangingCommandsNeedDesignModeAndTheRestDoNot) {
    for (int command :
         {kDocBold, kDocItalic, kDocUnderline, kDocStrikeOut, kDocAlignLeft, kDocCenter, kDocAlignRight,
          kDocBullets, kDocInsertTime, kDocHorizontalLine, kDocHyperlink, kDocPicture})
        EXPECT_TRUE(NeedsDesignMode(command)) << command;
    for (int command : {kDocNewDiaryPage, kDocDeleteDiaryPage, kDocCut, kDocCopy, kDocPaste, kDocSelectAll,
                        kDocPrintPreview, kDocPrint, kDocFind, kDocSaveHtml, kDocSaveText, kDocDesignMode})
        EXPECT_FALSE(NeedsDesignMode(command)) << command;
}

TEST(EditorRules, LinksThatRunCodeAreRefusedHoweverTheyAreSpelt) {
    EXPECT_TRUE(IsSafeLinkAddress("https://example.org/"));
    EXPECT_TRUE(IsSafeLinkAddress("mailto:ann@example.org"));
    EXPECT_TRUE(IsSafeLinkAddress("notes/javascript:x"));  // a path, not a scheme
    EXPECT_FALSE(IsSafeLinkAddress("javascript:alert(1)"));
    EXPECT_FALSE(IsSafeLinkAddress("JavaScript:alert(1)"));
    EXPECT_FALSE(IsSafeLinkAddress(" java\tscript:alert(1)"));
    EXPECT_FALSE(IsSafeLinkAddress("java\nscript:alert(1)"));
    EXPECT_FALSE(IsSafeLinkAddress("vbscript:msgbox"));
}

TEST(EditorRules, MissingTemplateMessageNamesTheTemplateAndTheDefaultToChange) {
    EXPECT_EQ(MissingTemplateMessage("Diary Blue", TemplateUse::Diary),
              "Cannot open template 'Diary Blue' !\n Open 'Options' dialog and choose other default Diary "
              "template!");
    EXPECT_EQ(
        MissingTemplateMessage("../x", TemplateUse::Note),
        "Cannot open template '../x' !\n Open 'Options' dialog and choose other default Note template!");
}
