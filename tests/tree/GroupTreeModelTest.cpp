#include <gtest/gtest.h>

#include <random>

#include "controls/TreeFixtures.h"
#include "tree/GroupTreeCommands.h"
#include "tree/GroupTreeModel.h"
#include "tree/LevelSteps.h"

namespace veltrin {
namespace {

using test::RecordingListener;
using test::RowsText;

struct Tree : ::testing::Test {
    GroupTreeModel t;
    RecordingListener l;
    void SetUp() override {
        t.InsertColumn(0, "Name", ColumnAlign::Left, 100);
        t.InsertColumn(1, "Info", ColumnAlign::Left, 100);
        t.SetListener(&l);
    }
    NodeHandle add(NodeHandle parent, const std::string& text, bool expand = true) {
        NodeHandle n = t.InsertItem(parent, kInsertLast, text);
        if (expand && parent != kRootNode) t.SetCollapsed(parent, 0);
        return n;
    }
};

TEST_F(Tree, HandlesAreNeverReservedValuesAndDieWithTheirNode) {
    NodeHandle a = add(kRootNode, "a");
    EXPECT_GT(a, 4u);  // never mistaken for none, the root or a "where" code
    t.DeleteItem(a);
    EXPECT_FALSE(t.IsValid(a));
    NodeHandle b = add(kRootNode, "b");  // may reuse the storage, never the handle
    EXPECT_NE(a, b);
    EXPECT_EQ(t.GetItemText(a, 0), "");
    t.SetItemText(a, 0, "stale");
    EXPECT_EQ(t.GetItemText(b, 0), "b");
    EXPECT_EQ(t.InsertItem(0, kInsertLast, "x"), kNoNode);
    EXPECT_EQ(t.InsertItem(a, kInsertLast, "x"), kNoNode);
    EXPECT_EQ(t.GetNextItem(0, kFirstChild), kNoNode);
    EXPECT_EQ(t.IsCollapsed(0), 0);
    EXPECT_EQ(t.GetChildItem(kRootNode, 1), kNoNode);
    EXPECT_EQ(t.GetChildItem(kRootNode, -1), kNoNode);
}

TEST_F(Tree, RowsFollowInsertionUnderCollapsedAndExpandedParents) {
    NodeHandle a = add(kRootNode, "a");
    NodeHandle b = add(kRootNode, "b");
    NodeHandle a1 = t.InsertItem(a, kInsertLast, "a1");
    EXPECT_EQ(RowsText(t), "a b");  // new nodes start collapsed: no row
    EXPECT_EQ(t.GetRow(a1), -1);
    EXPECT_EQ(t.IsCollapsed(a), 1);
    t.InsertItem(a, kInsertFirst, "a0");
    t.InsertItem(a, a1, "a2");
    t.SetCollapsed(a, 0);
    EXPECT_EQ(RowsText(t), "a .a0 .a1 .a2 b");
    EXPECT_EQ(t.GetRow(b), 4);
    t.InsertItem(a, kInsertFirstSorted, "A15");  // first, then the children re-sorted
    EXPECT_EQ(RowsText(t), "a .a0 .a1 .A15 .a2 b");
    t.InsertItem(b, kInsertLast, "b1");
    t.SetCollapsed(b, 0);
    t.InsertItem(kRootNode, kInsertFirst, "z");
    EXPECT_EQ(RowsText(t), "z a .a0 .a1 .A15 .a2 b .b1");
    t.SetCollapsed(a, 1);
    EXPECT_EQ(RowsText(t), "z a b .b1");
    EXPECT_EQ(t.GetRow(a1), -1);
    EXPECT_EQ(t.GetRow(b), 2);
    EXPECT_EQ(t.GetDepth(a1), 2);
    // A sibling under another parent is no place to insert: the node goes last.
    NodeHandle odd = t.InsertItem(kRootNode, a1, "odd");
    EXPECT_EQ(t.GetNextItem(kRootNode, kLastChild), odd);
}

// Rows kept incrementally must always equal the pre-order of shown nodes.
TEST_F(Tree, RowsMatchAFreshWalkAfterRandomOperations) {
    std::mt19937 rng(7);
    std::vector<NodeHandle> nodes;
    for (int step = 0; step < 3000; ++step) {
        const int op = static_cast<int>(rng() % 10);
        NodeHandle some = nodes.empty() ? kRootNode : nodes[rng() % nodes.size()];
        if (!t.IsValid(some)) some = kRootNode;
        if (op < 5 || nodes.empty()) {
            NodeHandle where = (op == 4 && some != kRootNode) ? some : NodeHandle(2 + rng() % 3);
            NodeHandle parent = op == 4 && some != kRootNode ? t.GetNextItem(some, kParent) : some;
            nodes.push_back(t.InsertItem(parent, where, std::to_string(step)));
        } else if (op < 8) {
            t.SetCollapsed(some, static_cast<int>(rng() % 2));
        } else if (op == 8) {
            t.DeleteItem(some == kRootNode ? nodes.front() : some);
        } else {
            NodeHandle next = t.GetNextItem(some, kNextSibling);
            t.SwapItems(some, next);
        }
        if (step % 37 == 0) {
            // Reference: shown nodes in pre-order, row by row.
            std::vector<NodeHandle> expect;
            for (NodeHandle n = t.GetNextItem(kRootNode, kFirstShown); n; n = t.GetNextItem(n, kNextRow))
                expect.push_back(n);
            ASSERT_EQ(static_cast<int>(expect.size()), t.RowCount()) << "step " << step;
            for (std::size_t r = 0; r < expect.size(); ++r) {
                ASSERT_EQ(t.NodeAtRow(static_cast<int>(r)), expect[r]);
                ASSERT_EQ(t.GetRow(expect[r]), static_cast<int>(r));
            }
        }
    }
}

TEST_F(Tree, RelationsNameTheRightNodes) {
    NodeHandle a = add(kRootNode, "a");
    NodeHandle a1 = add(a, "a1");
    NodeHandle a2 = add(a, "a2");
    NodeHandle a21 = add(a2, "a21");
    NodeHandle b = add(kRootNode, "b");
    NodeHandle b1 = t.InsertItem(b, kInsertLast, "b1");  // b stays collapsed
    EXPECT_EQ(t.GetNextItem(a, kFirstChild), a1);
    EXPECT_EQ(t.GetNextItem(a, kLastChild), a2);
    EXPECT_EQ(t.GetNextItem(a1, kNextSibling), a2);
    EXPECT_EQ(t.GetNextItem(a2, kNextSibling), kNoNode);
    EXPECT_EQ(t.GetNextItem(a2, kPrevSibling), a1);
    EXPECT_EQ(t.GetNextItem(a21, kNextRow), b);
    EXPECT_EQ(t.GetNextItem(b, kPrevRow), a21);  // previous sibling's last shown descendant
    EXPECT_EQ(t.GetNextItem(a1, kPrevRow), a);
    EXPECT_EQ(t.GetNextItem(a, kPrevRow), kNoNode);
    EXPECT_EQ(t.GetNextItem(a, kParent), kRootNode);
    EXPECT_EQ(t.GetNextItem(a21, kParent), a2);
    EXPECT_EQ(t.GetNextItem(b1, kShownAncestor), b);
    EXPECT_EQ(t.GetNextItem(a21, kShownAncestor), a21);
    EXPECT_EQ(t.GetNextItem(a21, kTopAncestor), a);
    EXPECT_EQ(t.GetNextItem(a, kTopAncestor), a);
    EXPECT_EQ(t.GetNextItem(kRootNode, kFirstShown), a);
    EXPECT_EQ(t.GetNextItem(kRootNode, kLastShown), b);
    // A collapsed top node hides an expanded middle one: the row is the top's.
    t.SetCollapsed(a, 1);
    EXPECT_EQ(t.GetNextItem(a21, kShownAncestor), a);
    EXPECT_EQ(t.GetChildItem(a, 1), a2);
    EXPECT_EQ(t.GetChildCount(a), 2);
    EXPECT_EQ(t.GetNextItem(a, 310), kNoNode);
}

TEST_F(Tree, SelectItemRules) {
    NodeHandle a = add(kRootNode, "a");
    t.SelectItem(a, 7, false);  // past the last column: the last
    EXPECT_EQ(t.GetSelectedItem(), a);
    EXPECT_EQ(t.GetSelectedColumn(), 1);
    ASSERT_EQ(l.codes(kNotifySelectionChanged).size(), 1u);
    t.SelectItem(a, 1, false);  // no change, no notification
    EXPECT_EQ(l.codes(kNotifySelectionChanged).size(), 1u);
    t.SelectItem(0, 0, false);  // no node: nothing happens
    EXPECT_EQ(t.GetSelectedItem(), a);
    t.SelectItem(kRootNode, 0, false);  // the root: no selection
    EXPECT_EQ(t.GetSelectedItem(), kNoNode);
    ASSERT_EQ(l.codes(kNotifySelectionChanged).size(), 2u);
    EXPECT_EQ(l.codes(kNotifySelectionChanged).back().node, kNoNode);
    t.SetFullRowSelect(true);
    t.SelectItem(a, 1, false);
    EXPECT_EQ(t.GetSelectedColumn(), -1);
    EXPECT_EQ(l.codes(kNotifySelectionChanged).back().column, -1);
}

TEST_F(Tree, DeletingTheSelectedNodeMovesTheSelection) {
    NodeHandle a = add(kRootNode, "a");
    NodeHandle a1 = add(a, "a1");
    NodeHandle b = add(kRootNode, "b");
    NodeHandle c = add(kRootNode, "c");
    t.SelectItem(b, 1, false);
    t.DeleteItem(b);  // next sibling
    EXPECT_EQ(t.GetSelectedItem(), c);
    EXPECT_EQ(t.GetSelectedColumn(), 1);  // the column is kept
    t.DeleteItem(c);                      // the last sibling: the node in the previous row
    EXPECT_EQ(t.GetSelectedItem(), a1);
    t.DeleteItem(a1);  // an only child: its parent, which loses its button
    EXPECT_EQ(t.GetSelectedItem(), a);
    EXPECT_EQ(t.IsCollapsed(a), 1);
    EXPECT_FALSE(t.HasChildren(a));
    t.DeleteItem(a);  // the only top-level node
    EXPECT_EQ(t.GetSelectedItem(), kNoNode);
    EXPECT_EQ(t.RowCount(), 0);
    EXPECT_EQ(t.NodeCount(), 0u);
}

TEST_F(Tree, DeletingASubtreeTellsParentsBeforeChildrenAndClearsASelectionInside) {
    NodeHandle a = add(kRootNode, "a");
    NodeHandle a1 = add(a, "a1");
    NodeHandle a11 = add(a1, "a11");
    NodeHandle a2 = add(a, "a2");
    NodeHandle b = add(kRootNode, "b");
    t.SelectItem(a11, 0, false);
    l.got.clear();
    t.DeleteItem(a);
    std::vector<NodeHandle> deleted;
    for (const auto& n : l.codes(kNotifyDeleting)) deleted.push_back(n.node);
    EXPECT_EQ(deleted, (std::vector<NodeHandle>{a, a1, a11, a2}));
    EXPECT_EQ(t.GetSelectedItem(), b);  // moved up to a by the collapse, then on
    for (NodeHandle n : {a, a1, a11, a2}) EXPECT_FALSE(t.IsValid(n));
    EXPECT_EQ(RowsText(t), "b");
}

TEST_F(Tree, DeletingTheRootEmptiesTheTreeAndKeepsTheRoot) {
    NodeHandle a = add(kRootNode, "a");
    add(a, "a1");
    NodeHandle b = add(kRootNode, "b");
    NodeHandle c = add(kRootNode, "c");
    t.SelectItem(b, 0, false);
    l.got.clear();
    t.DeleteItem(kRootNode);
    EXPECT_EQ(t.GetChildCount(kRootNode), 0);
    EXPECT_EQ(t.GetSelectedItem(), kNoNode);
    EXPECT_EQ(l.codes(kNotifyDeleting).size(), 4u);
    // b went to c, then c, the last, left nothing.
    auto sel = l.codes(kNotifySelectionChanged);
    ASSERT_EQ(sel.size(), 2u);
    EXPECT_EQ(sel[0].node, c);
    EXPECT_EQ(sel[1].node, kNoNode);
    NodeHandle d = add(kRootNode, "d");  // the root is still expanded
    EXPECT_EQ(t.GetRow(d), 0);
}

TEST_F(Tree, CollapsingAnAncestorOfTheSelectionSelectsIt) {
    NodeHandle a = add(kRootNode, "a");
    NodeHandle a1 = add(a, "a1");
    NodeHandle a11 = add(a1, "a11");
    t.SelectItem(a11, 1, false);
    l.got.clear();
    t.SetCollapsed(a, 1);
    EXPECT_EQ(t.GetSelectedItem(), a);
    EXPECT_EQ(t.GetSelectedColumn(), 1);
    ASSERT_EQ(l.codes(kNotifyCollapsedChanged).size(), 1u);
    EXPECT_EQ(l.codes(kNotifyCollapsedChanged)[0].collapsed, 1);
    t.SetCollapsed(a, 1);          // no change, no notification
    t.SetCollapsed(kRootNode, 1);  // the root never collapses
    EXPECT_EQ(l.codes(kNotifyCollapsedChanged).size(), 1u);
    EXPECT_EQ(t.IsCollapsed(a1), 0);  // the inner state is kept
}

TEST_F(Tree, SwapKeepsSubtreesStatesAndSelection) {
    NodeHandle a = add(kRootNode, "a");
    NodeHandle a1 = add(a, "a1");
    NodeHandle b = add(kRootNode, "b");
    t.InsertItem(b, kInsertLast, "b1");  // collapsed
    t.SelectItem(a1, 0, false);
    l.got.clear();
    t.SwapItems(a, b);
    EXPECT_EQ(RowsText(t), "b a .a1");
    EXPECT_EQ(t.GetSelectedItem(), a1);
    EXPECT_TRUE(l.codes(kNotifySelectionChanged).empty());
    t.SwapItems(a1, b);  // not siblings: nothing
    EXPECT_EQ(RowsText(t), "b a .a1");
}

TEST_F(Tree, SortingIgnoresCaseAndAHeaderClickAlternates) {
    NodeHandle p = add(kRootNode, "p");
    for (const char* s : {"delta", "Alpha", "charlie", "Bravo"}) add(p, s);
    add(kRootNode, "a");
    t.SortChildren(0, p, false);
    EXPECT_EQ(RowsText(t), "p .Alpha .Bravo .charlie .delta a");
    t.SortByHeader(0);  // ascending, the whole tree
    EXPECT_EQ(RowsText(t), "a p .Alpha .Bravo .charlie .delta");
    t.SortByHeader(0);  // then the other way
    EXPECT_EQ(RowsText(t), "p .delta .charlie .Bravo .Alpha a");
    t.SortByHeader(0);
    EXPECT_EQ(RowsText(t), "a p .Alpha .Bravo .charlie .delta");
    // Another routine: longest text first.
    t.SetCompare([](const GroupTreeModel& m, NodeHandle x, NodeHandle y, int col) {
        return static_cast<int>(m.GetItemText(y, col).size()) -
               static_cast<int>(m.GetItemText(x, col).size());
    });
    t.SortChildren(0, p, false);
    EXPECT_EQ(RowsText(t), "a p .charlie .Alpha .Bravo .delta");
}

TEST_F(Tree, FindItemHonoursTheCaseFlagAndStartNode) {
    NodeHandle a = add(kRootNode, "Apple");
    NodeHandle b = add(kRootNode, "apple");
    t.SetItemText(b, 1, "x");
    EXPECT_EQ(t.FindItem(kRootNode, 0, 0, "APPLE", true), a);
    EXPECT_EQ(t.FindItem(kRootNode, 0, 0, "APPLE", false), kNoNode);
    EXPECT_EQ(t.FindItem(kRootNode, 0, 0, "apple", false), b);
    EXPECT_EQ(t.FindItem(kRootNode, b, 0, "Apple", true), b);
    EXPECT_EQ(t.FindItem(kRootNode, 0, 1, "x", false), b);
    EXPECT_EQ(t.FindItem(a, 0, 0, "apple", true), kNoNode);
    EXPECT_EQ(t.FindItem(a, b, 0, "apple", true), kNoNode);  // not a child of a
}

TEST_F(Tree, SlotsAndCellsAreKeptPerNode) {
    struct Contact {
        std::string name;
        int age = 0;
    };
    NodeHandle a = add(kRootNode, "a");
    t.SetPagePayload(a, {"<p>x</p>", 12});
    t.SetGroupId(a, 77);
    t.SetContactRecord(a, Contact{"Ann", 40});
    EXPECT_EQ(t.GetPagePayload(a), (TextPayload{"<p>x</p>", 12}));
    EXPECT_EQ(t.GetNotePayload(a), TextPayload{});  // the other slots stay empty
    EXPECT_EQ(t.GetGroupId(a), 77);
    EXPECT_EQ(t.GetContactGroupId(a), 0);
    EXPECT_EQ(t.GetContactRecord<Contact>(a).name, "Ann");
    EXPECT_EQ(t.GetEventRecord<Contact>(a).name, "");
    const int s = t.AddCellStyle(kStyleEditable | kStyleCheck);
    t.SetCellStyle(a, 0, s);
    t.SetCellStyle(a, 1, 99);  // no such style
    EXPECT_EQ(t.StyleFlags(a, 0), 12u);
    EXPECT_EQ(t.GetCellStyle(a, 1), -1);
    t.SetItemText(a, 300, "far");  // past any sane column: refused
    EXPECT_EQ(t.GetItemText(a, 300), "");
}

TEST_F(Tree, ARowInsertedWithItsTextsMatchesOneFilledCellByCell) {
    const int s = t.AddCellStyle(kStyleEditable);
    const std::string source = "Ann|Info";
    // Views that end inside a longer text: only their own bytes go in.
    const std::vector<std::string_view> texts = {std::string_view(source).substr(0, 3),
                                                 std::string_view(source).substr(4)};
    NodeHandle a = t.InsertItemWithTexts(kRootNode, kInsertLast, texts, 5, s);
    NodeHandle b = t.InsertItem(kRootNode, kInsertLast, "Ann", 5, s);
    t.SetItemText(b, 1, std::string_view(source).substr(4));
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(t.GetItemText(a, c), t.GetItemText(b, c));
        EXPECT_EQ(t.GetItemImage(a, c), t.GetItemImage(b, c));
        EXPECT_EQ(t.GetCellStyle(a, c), t.GetCellStyle(b, c));
    }
    EXPECT_EQ(t.GetItemText(a, 1), "Info");
    EXPECT_EQ(RowsText(t), "Ann Ann");
    EXPECT_EQ(t.GetRow(a), 0);

    // Fewer texts than columns leave the rest empty; texts past the columns
    // are kept, as SetItemText keeps them.
    NodeHandle c = t.InsertItemWithTexts(kRootNode, a, {"Cy"});
    EXPECT_EQ(t.GetRow(c), 1);
    EXPECT_EQ(t.GetItemText(c, 1), "");
    EXPECT_EQ(t.GetItemImage(c, 0), -1);
    NodeHandle d = t.InsertItemWithTexts(kRootNode, kInsertFirst, {"Di", "x", "far"});
    EXPECT_EQ(t.GetRow(d), 0);
    EXPECT_EQ(t.GetItemText(d, 2), "far");
    EXPECT_EQ(t.InsertItemWithTexts(12345, kInsertLast, {"lost"}), kNoNode);
}

TEST_F(Tree, AReusedSlotStartsAfreshWhicheverWayItsRowIsMade) {
    NodeHandle a = t.InsertItemWithTexts(kRootNode, kInsertLast, {"old", "old info", "old far"});
    t.SetCheck(a, 1, 1);
    t.SetItemValue(a, 1, 9);
    t.SetItemImage(a, 1, 3);
    t.DeleteItem(a);
    NodeHandle b = t.InsertItemWithTexts(kRootNode, kInsertLast, {"new"});
    EXPECT_EQ(t.GetItemText(b, 0), "new");
    EXPECT_EQ(t.GetItemText(b, 1), "");
    EXPECT_EQ(t.GetItemText(b, 2), "");
    EXPECT_EQ(t.GetCheck(b, 1), 0);
    EXPECT_EQ(t.GetItemValue(b, 1), 0);
    EXPECT_EQ(t.GetItemImage(b, 1), -1);
    t.SetItemText(b, 1, "x");
    t.DeleteItem(b);
    NodeHandle c = t.InsertItem(kRootNode, kInsertLast, "plain");
    EXPECT_EQ(t.GetItemText(c, 1), "");
    EXPECT_EQ(t.GetItemImage(c, 0), -1);
}

TEST_F(Tree, CheckBoxesAskTheOwnerFirst) {
    NodeHandle a = add(kRootNode, "a");
    t.SetCellStyle(a, 0, t.AddCellStyle(kStyleCheck | kStyleEditable));
    t.ToggleCheckByClick(a, 0);
    EXPECT_EQ(t.GetCheck(a, 0), 1);
    ASSERT_EQ(l.codes(kNotifyCheckClicked).size(), 1u);
    EXPECT_EQ(l.codes(kNotifyCheckClicked)[0].check, 1);  // the state it is about to take
    l.answer = [](const TreeNotification& n) { return n.code == kNotifyCheckClicked ? kAnswerRefuse : 0u; };
    t.ToggleCheckByClick(a, 0);
    EXPECT_EQ(t.GetCheck(a, 0), 1);
    // Space on a selected check cell goes through 1231 with the same rule.
    l.answer = nullptr;
    t.SelectItem(a, 0, false);
    t.ActOnCell(a, 0);
    EXPECT_EQ(t.GetCheck(a, 0), 0);
    EXPECT_EQ(l.codes(kNotifyCellButton).size(), 1u);
}

TEST_F(Tree, InPlaceEditingFollowsTheOwnersAnswers) {
    NodeHandle a = add(kRootNode, "a");
    NodeHandle b = add(kRootNode, "b");
    const int editable = t.AddCellStyle(kStyleEditable);
    t.SetCellStyle(a, 0, editable);
    EXPECT_FALSE(t.BeginEdit(a, 0));  // not selected
    t.SelectItem(a, 0, false);
    l.answer = [](const TreeNotification& n) { return n.code == kNotifyBeginEdit ? kAnswerRefuse : 0u; };
    EXPECT_FALSE(t.BeginEdit(a, 0));
    l.answer = [](const TreeNotification& n) {
        if (n.code != kNotifyEndEdit) return 0u;
        if (n.text == "invalid") return kAnswerRefuse;
        if (n.text == "continue") return kAnswerKeepOpen;
        return 0u;
    };
    ASSERT_TRUE(t.BeginEdit(a, 0));
    t.SelectItem(b, 0, false);  // ignored while the editor is open
    EXPECT_EQ(t.GetSelectedItem(), a);
    EXPECT_TRUE(t.EndEdit("invalid"));
    EXPECT_EQ(t.GetItemText(a, 0), "a");
    ASSERT_TRUE(t.BeginEdit(a, 0));
    EXPECT_FALSE(t.EndEdit("continue"));  // stays open, text taken
    EXPECT_TRUE(t.Editing());
    EXPECT_EQ(t.GetItemText(a, 0), "continue");
    EXPECT_TRUE(t.EndEdit("done"));
    EXPECT_EQ(t.GetItemText(a, 0), "done");
    ASSERT_TRUE(t.BeginEdit(a, 0));
    const auto ends = l.codes(kNotifyEndEdit).size();
    t.CancelEdit();
    EXPECT_EQ(l.codes(kNotifyEndEdit).size(), ends);
    EXPECT_FALSE(t.BeginEdit(b, 0));  // b is not editable
    // Deleting the node being edited closes the editor.
    ASSERT_TRUE(t.BeginEdit(a, 0));
    t.DeleteItem(a);
    EXPECT_FALSE(t.Editing());
}

TEST_F(Tree, ASaveTakesTheTypedTextAndTheEditGoesOn) {
    NodeHandle a = add(kRootNode, "a");
    t.SetCellStyle(a, 0, t.AddCellStyle(kStyleEditable));
    t.SelectItem(a, 0, false);
    l.answer = [](const TreeNotification& n) {
        return n.code == kNotifyEndEdit && n.text == "invalid" ? kAnswerRefuse | kAnswerKeepOpen : 0u;
    };
    ASSERT_TRUE(t.BeginEdit(a, 0));
    t.TakeEditText("Dent");
    ASSERT_EQ(l.codes(kNotifyEndEdit).size(), 1u);
    EXPECT_TRUE(l.codes(kNotifyEndEdit)[0].stillEditing);
    EXPECT_EQ(t.GetItemText(a, 0), "Dent");
    EXPECT_TRUE(t.Editing());
    t.TakeEditText("Dent");  // nothing new to take
    EXPECT_EQ(l.codes(kNotifyEndEdit).size(), 1u);
    t.TakeEditText("invalid");  // refused: the cell keeps what it had
    EXPECT_EQ(t.GetItemText(a, 0), "Dent");
    EXPECT_TRUE(t.Editing());
    // Enter still ends it, reported as an end.
    EXPECT_TRUE(t.EndEdit("Dentist"));
    EXPECT_FALSE(l.codes(kNotifyEndEdit).back().stillEditing);
    EXPECT_EQ(t.GetItemText(a, 0), "Dentist");
    EXPECT_FALSE(t.Editing());
    t.TakeEditText("late");  // no edit open
    EXPECT_EQ(t.GetItemText(a, 0), "Dentist");

    // Escape after a save ends the edit and keeps what the save took: it is
    // in the file already.
    ASSERT_TRUE(t.BeginEdit(a, 0));
    t.TakeEditText("Doctor");
    t.CancelEdit();
    EXPECT_FALSE(t.Editing());
    EXPECT_EQ(t.GetItemText(a, 0), "Doctor");
}

TEST_F(Tree, ASaveRunByTheOwnerWhileItHandlesTheEndTakesNothingMore) {
    NodeHandle a = add(kRootNode, "a");
    t.SetCellStyle(a, 0, t.AddCellStyle(kStyleEditable));
    t.SelectItem(a, 0, false);
    l.answer = [&](const TreeNotification& n) {
        if (n.code == kNotifyEndEdit) t.TakeEditText("again");  // its own save
        return 0u;
    };
    ASSERT_TRUE(t.BeginEdit(a, 0));
    EXPECT_TRUE(t.EndEdit("typed"));
    EXPECT_EQ(l.codes(kNotifyEndEdit).size(), 1u);
    EXPECT_EQ(t.GetItemText(a, 0), "typed");
}

TEST_F(Tree, DropDownTakesTheChosenTextAndValue) {
    t.SetFullRowSelect(true);
    NodeHandle a = add(kRootNode, "a");
    const int drop = t.AddCellStyle(kStyleDropDown | kStyleButton);
    t.SetCellStyle(a, 1, drop);
    t.SelectItem(a, 0, false);
    l.answer = [&](const TreeNotification& n) {
        if (n.code == kNotifyDropDown && t.GetCellChoices(drop).empty())
            for (int i = 1; i <= 10; ++i) t.AddCellChoice(drop, std::to_string(i) + " of 10", i);
        return 0u;
    };
    EXPECT_EQ(t.ActOnCell(a, 1), ClickResult::OpenDropDown);
    EXPECT_EQ(t.GetCellChoices(drop).size(), 10u);
    t.EndDropDown("7 of 10", 7);
    EXPECT_EQ(t.GetItemText(a, 1), "7 of 10");
    EXPECT_EQ(t.GetItemValue(a, 1), 7);
    EXPECT_EQ(l.codes(kNotifyEndEdit).back().value, 7);
    EXPECT_FALSE(t.Editing());
    l.answer = [](const TreeNotification& n) { return n.code == kNotifyEndEdit ? kAnswerRefuse : 0u; };
    ASSERT_EQ(t.ActOnCell(a, 1), ClickResult::OpenDropDown);
    t.EndDropDown("2 of 10", 2);
    EXPECT_EQ(t.GetItemValue(a, 1), 7);
}

TEST_F(Tree, KeysWithAndWithoutSelection) {
    NodeHandle a = add(kRootNode, "a");
    NodeHandle a1 = add(a, "a1");
    NodeHandle b = add(kRootNode, "b");
    EXPECT_FALSE(t.HandleKey(TreeKey::Home, 10));  // nothing without a selection
    t.HandleKey(TreeKey::Down, 10);
    EXPECT_EQ(t.GetSelectedItem(), a);
    t.SelectItem(kRootNode, 0, false);
    t.HandleKey(TreeKey::Up, 10);
    EXPECT_EQ(t.GetSelectedItem(), b);
    t.SelectItem(kRootNode, 0, false);
    t.HandleKey(TreeKey::BackTab, 10);
    EXPECT_EQ(t.GetSelectedItem(), b);
    EXPECT_EQ(t.GetSelectedColumn(), 1);
    t.HandleKey(TreeKey::Tab, 10);  // the last cell of the last row: stays
    EXPECT_EQ(t.GetSelectedItem(), b);
    t.SelectItem(a, 1, false);
    t.HandleKey(TreeKey::Tab, 10);  // wraps to the first cell of the next row
    EXPECT_EQ(t.GetSelectedItem(), a1);
    EXPECT_EQ(t.GetSelectedColumn(), 0);
    t.HandleKey(TreeKey::BackTab, 10);
    EXPECT_EQ(t.GetSelectedItem(), a);
    EXPECT_EQ(t.GetSelectedColumn(), 1);
    t.HandleKey(TreeKey::Home, 10);
    EXPECT_EQ(t.GetSelectedColumn(), 0);
    t.HandleKey(TreeKey::Left, 10);
    EXPECT_EQ(t.GetSelectedColumn(), 0);
    t.HandleKey(TreeKey::PageDown, 2);  // one row per page step, clamped
    EXPECT_EQ(t.GetSelectedItem(), a1);
    t.HandleKey(TreeKey::PageDown, 50);
    EXPECT_EQ(t.GetSelectedItem(), b);
    t.HandleKey(TreeKey::PageUp, 50);
    EXPECT_EQ(t.GetSelectedItem(), a);
    t.HandleKey(TreeKey::Collapse, 10);
    EXPECT_EQ(RowsText(t), "a b");
    t.HandleKey(TreeKey::Down, 10);
    EXPECT_EQ(t.GetSelectedItem(), b);
    t.SetFullRowSelect(true);
    t.HandleKey(TreeKey::Right, 10);
    EXPECT_EQ(t.GetSelectedColumn(), -1);
    t.HandleKey(TreeKey::BackTab, 10);  // whole rows in full-row mode
    EXPECT_EQ(t.GetSelectedItem(), a);
}

TEST_F(Tree, ClickOnTheButtonTogglesWithoutSelecting) {
    NodeHandle a = add(kRootNode, "a");
    add(a, "a1");
    NodeHandle b = add(kRootNode, "b");
    t.SelectItem(b, 0, false);
    const CellLayout lay = t.LayoutCell(a, 0);
    EXPECT_EQ(t.PartAt(a, 0, lay.buttonLeft + 2, 100), CellPart::Button);
    EXPECT_EQ(t.PartAt(b, 0, lay.buttonLeft + 2, 100), CellPart::None);  // no children, no button
    t.Click(a, 0, CellPart::Button, false);
    EXPECT_EQ(t.IsCollapsed(a), 1);
    EXPECT_EQ(t.GetSelectedItem(), b);
    t.Click(a, 0, CellPart::Text, false);
    EXPECT_EQ(t.GetSelectedItem(), a);
}

TEST_F(Tree, CellGeometryStacksIndentButtonCheckIconText) {
    t.SetBoxSize(12);
    NodeHandle a = add(kRootNode, "a");
    NodeHandle a1 = add(a, "a1");
    t.SetCellStyle(a1, 0, t.AddCellStyle(kStyleCheck));
    t.SetItemImage(a1, 0, 3);
    const CellLayout l1 = t.LayoutCell(a1, 0);
    EXPECT_EQ(l1.buttonLeft, 16);
    EXPECT_EQ(l1.checkLeft, 32);
    EXPECT_EQ(l1.iconLeft, 48);
    EXPECT_EQ(l1.textLeft, 64);
    const CellLayout other = t.LayoutCell(a1, 1);  // no indentation, no button
    EXPECT_FALSE(other.hasButtonSpace);
    EXPECT_EQ(other.textLeft, 0);
    EXPECT_EQ(t.RowHeight(), 16);
    t.SetTreeColumn(-1);  // a flat list
    EXPECT_EQ(t.LayoutCell(a1, 0).checkLeft, 0);
}

TEST_F(Tree, ACellIsLaidOutAlikeWithOrWithoutARowToHoldIt) {
    t.SetBoxSize(12);
    NodeHandle a = add(kRootNode, "a");
    NodeHandle a1 = add(a, "a1");
    const int check = t.AddCellStyle(kStyleCheck);
    t.SetCellStyle(a1, 0, check);
    t.SetItemImage(a1, 0, 3);
    const auto same = [](const CellLayout& x, const CellLayout& y) {
        return x.buttonLeft == y.buttonLeft && x.checkLeft == y.checkLeft && x.iconLeft == y.iconLeft &&
               x.textLeft == y.textLeft && x.box == y.box && x.hasCheck == y.hasCheck &&
               x.hasIcon == y.hasIcon && x.hasButtonSpace == y.hasButtonSpace;
    };
    EXPECT_TRUE(same(t.LayoutCell(a1, 0), t.LayoutCell(0, kStyleCheck, true, 2)));
    EXPECT_TRUE(same(t.LayoutCell(a, 1), t.LayoutCell(1, 0, false)));
    EXPECT_EQ(t.LayoutCell(1, kStyleCheck, true).textLeft, 32);
}

TEST(OneLineText, LineBreaksBecomeOneBlankAndEndsAreTrimmed) {
    EXPECT_EQ(OneLineText("12 Garden Road\r\nFlat 3"), "12 Garden Road Flat 3");
    EXPECT_EQ(OneLineText("a\n\n\r\nb\rc"), "a b c");
    EXPECT_EQ(OneLineText("\r\nfirst\r\n"), "first");
    EXPECT_EQ(OneLineText("Caf\xe9  two  blanks"), "Caf\xe9  two  blanks");  // bytes and blanks kept
    EXPECT_EQ(OneLineText("\n"), "");
}

// ---------------------------------------------------------------- level steps

TEST_F(Tree, LevelStepsRoundTripAnIrregularTree) {
    // a(b(c(d)), e), f, g(h(i)), j — climbs of one, two and three levels.
    const std::vector<std::pair<int, std::string>> records = {{0, "a"},  {1, "b"},  {1, "c"}, {1, "d"},
                                                              {-2, "e"}, {-1, "f"}, {0, "g"}, {1, "h"},
                                                              {1, "i"},  {-2, "j"}};
    LevelStepReader reader(t);
    for (const auto& [step, text] : records) reader.Insert(step, text);
    t.SetCollapsed(t.GetChildItem(kRootNode, 0), 0);
    std::vector<std::pair<int, std::string>> written;
    WalkLevelSteps(t, [&](NodeHandle n, std::int32_t step) {
        written.push_back({step, t.GetItemText(n, 0)});
    });
    EXPECT_EQ(written, records);
    EXPECT_EQ(t.GetChildCount(kRootNode), 4);
    EXPECT_EQ(t.GetDepth(t.FindItem(kRootNode, 0, 0, "j", false)), 1);
}

TEST_F(Tree, LevelStepsFromADamagedFileStillMakeATree) {
    LevelStepReader reader(t);
    NodeHandle a = reader.Insert(1, "a");   // a child of nothing: top level
    NodeHandle b = reader.Insert(5, "b");   // more than one level down: a child
    NodeHandle c = reader.Insert(-9, "c");  // climbs past the top: top level
    NodeHandle d = reader.Insert(INT32_MIN, "d");
    EXPECT_EQ(t.GetDepth(a), 1);
    EXPECT_EQ(t.GetNextItem(b, kParent), a);
    EXPECT_EQ(t.GetDepth(c), 1);
    EXPECT_EQ(t.GetDepth(d), 1);
    EXPECT_EQ(DepthAfterLevelStep(3, INT32_MAX), 4);
    EXPECT_EQ(DepthAfterLevelStep(0, 0), 1);
}

// ---------------------------------------------------------------- commands

struct CountingObserver : GroupTreeObserver {
    int rowsChanged = 0, nodeChanged = 0;
    void RowsChanged() override { ++rowsChanged; }
    void NodeChanged(NodeHandle) override { ++nodeChanged; }
};

TEST_F(Tree, AFirstChildUnderACollapsedParentRedrawsTheParentOnly) {
    struct Seen : GroupTreeObserver {
        std::vector<NodeHandle> nodes;
        int rows = 0;
        void NodeChanged(NodeHandle n) override { nodes.push_back(n); }
        void RowsChanged() override { ++rows; }
    } o;
    NodeHandle a = add(kRootNode, "a");
    t.SetObserver(&o);
    t.InsertItem(a, kInsertLast, "a1");  // no row, but a now has a button
    EXPECT_EQ(o.nodes, std::vector<NodeHandle>{a});
    EXPECT_EQ(o.rows, 0);
    t.SetObserver(nullptr);
}

TEST_F(Tree, CollapseAndExpandAllHoldRedrawingOff) {
    CountingObserver o;
    t.SetObserver(&o);
    NodeHandle a = add(kRootNode, "a");
    NodeHandle a1 = add(a, "a1");
    add(a1, "a11");
    add(kRootNode, "b");
    o = CountingObserver{};
    t.SetAllCollapsed(true);
    EXPECT_EQ(RowsText(t), "a b");
    EXPECT_EQ(o.rowsChanged, 1);
    EXPECT_EQ(o.nodeChanged, 0);
    t.SetAllCollapsed(false);
    EXPECT_EQ(RowsText(t), "a .a1 ..a11 b");
    EXPECT_EQ(o.rowsChanged, 2);
}

TEST_F(Tree, RowsStayRightWhenTheOwnerChangesTheTreeDuringExpandAll) {
    NodeHandle a = add(kRootNode, "a");
    t.InsertItem(a, kInsertLast, "a1");
    add(kRootNode, "b");
    bool once = false;
    l.answer = [&](const TreeNotification& n) {
        if (n.code == kNotifyCollapsedChanged && !once) {
            once = true;
            t.InsertItem(kRootNode, kInsertFirst, "new");
        }
        return 0u;
    };
    t.SetAllCollapsed(false);
    EXPECT_EQ(RowsText(t), "new a .a1 b");
}

TEST_F(Tree, NotificationsCarryTheCellAndState) {
    t.SetControlId(1000);
    NodeHandle a = add(kRootNode, "a");
    t.SetItemImage(a, 0, 3);
    t.SetCheck(a, 0, 2);
    t.InsertItem(a, kInsertLast, "a1");
    t.SetCollapsed(a, 0);
    t.SelectItem(a, 0, false);
    const TreeNotification c = l.codes(kNotifyCollapsedChanged).back();
    EXPECT_EQ(c.node, a);
    EXPECT_EQ(c.collapsed, 0);
    EXPECT_EQ(c.controlId, 1000);
    EXPECT_EQ(c.sender, &t);
    const TreeNotification s = l.codes(kNotifySelectionChanged).back();
    EXPECT_EQ(s.text, "a");
    EXPECT_EQ(s.image, 3);
    EXPECT_EQ(s.check, 2);
    EXPECT_EQ(s.column, 0);
}

TEST_F(Tree, KeysFromASelectionHiddenUnderACollapsedNode) {
    NodeHandle a = add(kRootNode, "a");
    NodeHandle a1 = t.InsertItem(a, kInsertLast, "a1");  // a stays collapsed
    NodeHandle b = add(kRootNode, "b");
    t.SelectItem(a1, 0, false);  // a view may select a node it has not opened
    EXPECT_EQ(t.GetRow(a1), -1);
    t.HandleKey(TreeKey::Down, 10);  // moves on from the row that shows it
    EXPECT_EQ(t.GetSelectedItem(), b);
    t.SelectItem(a1, 0, false);
    t.HandleKey(TreeKey::PageDown, 10);
    EXPECT_EQ(t.GetSelectedItem(), b);
}

TEST_F(Tree, DeletingAColumnTakesItsCells) {
    NodeHandle a = add(kRootNode, "a");
    t.SetItemText(a, 1, "one");
    t.InsertColumn(2, "Two", ColumnAlign::Right, 50);
    t.SetItemText(a, 2, "two");
    t.DeleteColumn(1);
    EXPECT_EQ(t.ColumnCount(), 2);
    EXPECT_EQ(t.Column(1)->title, "Two");
    EXPECT_EQ(t.GetItemText(a, 1), "two");
    t.SelectItem(a, 1, false);
    t.DeleteColumn(1);
    EXPECT_EQ(t.GetSelectedColumn(), 0);
}

TEST_F(Tree, InsertCommandsPlaceSelectAndExpand) {
    NodeHandle a = add(kRootNode, "a");
    NodeHandle a1 = add(a, "a1");
    add(kRootNode, "b");
    // No selection: the last top-level node, either way.
    NodeHandle n1 = InsertForCommand(t, kTreeInsertChild, "n1");
    EXPECT_EQ(t.GetNextItem(kRootNode, kLastChild), n1);
    EXPECT_EQ(t.GetSelectedItem(), n1);
    // After a child: a sibling under the same parent, right after it.
    t.SelectItem(a1, 0, false);
    NodeHandle n2 = InsertForCommand(t, kTreeInsertAfter, "n2");
    EXPECT_EQ(t.GetNextItem(a1, kNextSibling), n2);
    // As a child of a collapsed node: it opens so the new node is seen.
    t.SetCollapsed(a, 1);
    t.SelectItem(a, 0, false);
    std::int32_t idAtSelection = -1;
    l.answer = [&](const TreeNotification& n) {
        if (n.code == kNotifySelectionChanged) idAtSelection = t.GetGroupId(n.node);
        return 0u;
    };
    NodeHandle n3 =
        InsertForCommand(t, kTreeInsertChild, "n3", -1, -1, [&](NodeHandle n) { t.SetGroupId(n, 5); });
    EXPECT_EQ(t.IsCollapsed(a), 0);
    EXPECT_EQ(t.GetNextItem(a, kLastChild), n3);
    EXPECT_EQ(t.GetSelectedItem(), n3);
    EXPECT_EQ(idAtSelection, 5);  // the record is in place before the owner hears of it
    EXPECT_EQ(RowsText(t), "a .a1 .n2 .n3 b n1");
}

TEST_F(Tree, MovesStayAmongSiblings) {
    NodeHandle a = add(kRootNode, "a");
    NodeHandle a1 = add(a, "a1");
    add(a1, "a11");
    NodeHandle a2 = add(a, "a2");
    t.SelectItem(a1, 0, false);
    EXPECT_FALSE(MoveSelected(t, kTreeMoveUp));  // the first child
    EXPECT_TRUE(MoveSelected(t, kTreeMoveDown));
    EXPECT_EQ(RowsText(t), "a .a2 .a1 ..a11");
    EXPECT_FALSE(MoveSelected(t, kTreeMoveDown));  // now the last child
    EXPECT_EQ(t.GetNextItem(a1, kParent), a);
    EXPECT_EQ(t.GetSelectedItem(), a1);
    EXPECT_EQ(t.GetNextItem(a, kFirstChild), a2);
    t.SelectItem(kRootNode, 0, false);
    EXPECT_FALSE(MoveSelected(t, kTreeMoveUp));
}

TEST(GroupTreeCommandsTest, MenuEntriesInOrderWithSeparators) {
    std::vector<int> ids;
    for (const auto& e : GroupTreeCommandEntries()) ids.push_back(e.id);
    EXPECT_EQ(ids, (std::vector<int>{300, 301, 0, 302, 303, 305, 304, 0, 306, 307}));
    EXPECT_STREQ(GroupTreeCommandEntries()[6].text, "Delete item/folder");
}

}  // namespace
}  // namespace veltrin
