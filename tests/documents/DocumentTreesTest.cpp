#include <gtest/gtest.h>

#include "documents/DocumentTrees.h"
#include "support/Fakes.h"

using namespace veltrin;

namespace {

NoteItem note(int step, const std::string& name, int collapsed = 1, int current = 0) {
    NoteItem n;
    n.levelStep = step;
    n.name = name;
    n.collapsed = collapsed;
    n.isCurrent = current;
    n.html = "<b>" + name + "</b>";
    n.created = 1000 + static_cast<int>(name.size());
    return n;
}

}  // namespace

TEST(NotesTree, StepsRebuildTheTreeAndWriteBackTheSame) {
    // A (A1, A2 (A2a)), B
    const NoteTable table = {note(0, "A", 0), note(1, "A1"), note(0, "A2", 0), note(1, "A2a"),
                             note(-2, "B", 1, 1)};
    GroupTreeModel tree;
    tree.InsertColumn(0, "Notes", ColumnAlign::Left, 200);
    const NodeHandle current = BuildNotesTree(tree, table);
    ASSERT_NE(current, kNoNode);
    EXPECT_EQ(tree.GetItemText(current, 0), "B");
    EXPECT_EQ(tree.GetSelectedItem(), current);
    const NodeHandle a = tree.GetNextItem(kRootNode, kFirstChild);
    EXPECT_EQ(tree.GetChildCount(a), 2);
    const NodeHandle a2 = tree.GetChildItem(a, 1);
    EXPECT_EQ(tree.GetItemText(tree.GetChildItem(a2, 0), 0), "A2a");
    EXPECT_EQ(tree.IsCollapsed(a), 0);
    EXPECT_EQ(tree.GetNotePayload(a2).html, "<b>A2</b>");

    NoteTable back;
    FillNoteTable(tree, current, back);
    ASSERT_EQ(back.size(), table.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(back[i].levelStep, table[i].levelStep) << i;
        EXPECT_EQ(back[i].name, table[i].name);
        EXPECT_EQ(back[i].collapsed, table[i].collapsed) << i;
        EXPECT_EQ(back[i].isCurrent, table[i].isCurrent);
        EXPECT_EQ(back[i].html, table[i].html);
        EXPECT_EQ(back[i].created, table[i].created);
    }
}

TEST(NotesTree, ChildlessNoteReportsCollapsedAndExpandedOnesDoNot) {
    GroupTreeModel tree;
    tree.InsertColumn(0, "Notes", ColumnAlign::Left, 200);
    BuildNotesTree(tree, {note(0, "leaf", 0), note(0, "parent", 0), note(1, "child")});
    NoteTable back;
    FillNoteTable(tree, kNoNode, back);
    EXPECT_EQ(back[0].collapsed, 1);  // no children: always 1
    EXPECT_EQ(back[1].collapsed, 0);
}

TEST(NotesTree, WithoutACurrentNoteTheFirstIsSelected) {
    GroupTreeModel tree;
    tree.InsertColumn(0, "Notes", ColumnAlign::Left, 200);
    const NodeHandle first = BuildNotesTree(tree, {note(0, "one"), note(1, "one.a"), note(-1, "two")});
    EXPECT_EQ(tree.GetItemText(first, 0), "one");
    GroupTreeModel empty;
    empty.InsertColumn(0, "Notes", ColumnAlign::Left, 200);
    EXPECT_EQ(BuildNotesTree(empty, {}), kNoNode);
}

TEST(NotesTree, MalformedStepsFromAFileStillGiveATree) {
    GroupTreeModel tree;
    tree.InsertColumn(0, "Notes", ColumnAlign::Left, 200);
    // A first record with step 5 and a climb far above the top level.
    BuildNotesTree(tree, {note(5, "a"), note(1, "b"), note(-40, "c")});
    NoteTable back;
    FillNoteTable(tree, kNoNode, back);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0].levelStep, 0);
    EXPECT_EQ(back[1].levelStep, 1);
    EXPECT_EQ(back[2].levelStep, -1);
}

TEST(NotesTree, AFirstStepOfOneIsATopLevelNote) {
    GroupTreeModel tree;
    tree.InsertColumn(0, "Notes", ColumnAlign::Left, 200);
    BuildNotesTree(tree, {note(1, "first"), note(1, "child"), note(0, "sibling")});
    EXPECT_EQ(tree.GetChildCount(kRootNode), 1);
    NoteTable back;
    FillNoteTable(tree, kNoNode, back);
    EXPECT_EQ(back[0].levelStep, 0);
    EXPECT_EQ(back[1].levelStep, 1);
    EXPECT_EQ(back[2].levelStep, 0);
}

TEST(DiaryList, PagesComeBackInOrderWithTheCurrentOne) {
    const DiaryTable table = {{"2026, January 02", "<p>a</p>", 100, 0},
                              {"2026, January 03", "", 200, 1},
                              {"2026, January 05", "<p>c</p>", 300, 0}};
    GroupTreeModel list;
    list.InsertColumn(0, "Pages", ColumnAlign::Left, 200);
    const NodeHandle current = BuildDiaryList(list, table);
    EXPECT_EQ(list.GetItemText(current, 0), "2026, January 03");
    EXPECT_EQ(list.GetSelectedItem(), current);
    DiaryTable back;
    FillDiaryTable(list, current, back);
    ASSERT_EQ(back.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(back[i].title, table[i].title);
        EXPECT_EQ(back[i].html, table[i].html);
        EXPECT_EQ(back[i].date, table[i].date);
        EXPECT_EQ(back[i].isCurrent, table[i].isCurrent);
    }
}

TEST(DocumentSaveSteps, WriteWhatTheViewHoldsOrTheTableAsItIs) {
    test::ProgramFolder folder;
    DiaryTable diary = {DiaryPage{"May 01, 2024", "<p>one</p>", 1714521600, 0},
                        DiaryPage{"May 02, 2024", "<p>two</p>", 1714608000, 1}};
    // No view yet: the table goes out as loaded.
    ASSERT_TRUE(SaveDiary(diary, DiaryViews{}));
    DiaryTable back;
    ASSERT_TRUE(SerializeDiaryFile(back, false));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1].html, "<p>two</p>");

    // A view's list is the live copy: an edited page and a new current page reach the file.
    GroupTreeModel list;
    list.InsertColumn(0, "Pages", ColumnAlign::Left, 100);
    BuildDiaryList(list, diary);
    const NodeHandle first = list.GetNextItem(kRootNode, kFirstChild);
    list.SetPagePayload(first, TextPayload{"<p>edited</p>", 1714521600});
    ASSERT_TRUE(SaveDiary(diary, DiaryViews{&list, first}));
    back.clear();
    ASSERT_TRUE(SerializeDiaryFile(back, false));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].html, "<p>edited</p>");
    EXPECT_EQ(back[0].isCurrent, 1);
    EXPECT_EQ(back[1].isCurrent, 0);

    NoteTable notes = {note(0, "A", 0), note(1, "A1")};
    GroupTreeModel tree;
    tree.InsertColumn(0, "Notes", ColumnAlign::Left, 200);
    BuildNotesTree(tree, notes);
    const NodeHandle a1 = tree.GetChildItem(tree.GetNextItem(kRootNode, kFirstChild), 0);
    tree.SetItemText(a1, 0, "renamed");
    ASSERT_TRUE(SaveNotes(notes, NoteViews{&tree, a1}));
    NoteTable notesBack;
    ASSERT_TRUE(SerializeNotesFile(notesBack, false));
    ASSERT_EQ(notesBack.size(), 2u);
    EXPECT_EQ(notesBack[1].name, "renamed");
    EXPECT_EQ(notesBack[1].isCurrent, 1);
    EXPECT_EQ(notesBack[1].levelStep, 1);
}
