#include "documents/DocumentTrees.h"

#include "base/LocalTime.h"
#include "tree/TreeRecords.h"

namespace veltrin {

NodeHandle BuildDiaryList(GroupTreeModel& list, const DiaryTable& table) {
    list.SetRedraw(false);
    while (NodeHandle n = list.GetNextItem(kRootNode, kFirstChild)) list.DeleteItem(n);
    NodeHandle current = kNoNode;
    for (const DiaryPage& page : table) {
        const NodeHandle node = list.InsertItem(kRootNode, kInsertLast, page.title);
        list.SetPagePayload(node, TextPayload{page.html, page.date});
        if (page.isCurrent) current = node;
    }
    list.SetRedraw(true);
    if (current != kNoNode) list.SelectItem(current, 0);
    return current;
}

void FillDiaryTable(const GroupTreeModel& list, NodeHandle currentPage, DiaryTable& table) {
    table.clear();
    for (NodeHandle n = list.GetNextItem(kRootNode, kFirstChild); n != kNoNode;
         n = list.GetNextItem(n, kNextSibling)) {
        const TextPayload p = list.GetPagePayload(n);
        table.push_back(DiaryPage{list.GetItemText(n, 0), p.html, p.value, n == currentPage ? 1 : 0});
    }
}

NodeHandle BuildNotesTree(GroupTreeModel& tree, const NoteTable& table) {
    while (NodeHandle n = tree.GetNextItem(kRootNode, kFirstChild)) tree.DeleteItem(n);
    NodeHandle current = kNoNode;
    BuildTreeFromRecords(tree, table, &current, [&tree](NodeHandle node, const NoteItem& note) {
        tree.SetNotePayload(node, TextPayload{note.html, note.created});
    });
    if (current == kNoNode) current = tree.GetNextItem(kRootNode, kFirstChild);
    if (current != kNoNode) tree.SelectItem(current, 0);
    return current;
}

void FillNoteTable(const GroupTreeModel& tree, NodeHandle currentNote, NoteTable& table) {
    RecordsFromTree(tree, currentNote, table, [&tree](NodeHandle node, NoteItem& note) {
        const TextPayload p = tree.GetNotePayload(node);
        note.html = p.html;
        note.created = p.value;
    });
}

bool SaveDiary(DiaryTable& table, const DiaryViews& views) {
    if (views.list) FillDiaryTable(*views.list, views.currentPage, table);
    return SerializeDiaryFile(table, true);
}

bool SaveNotes(NoteTable& table, const NoteViews& views) {
    if (views.tree) FillNoteTable(*views.tree, views.currentNote, table);
    return SerializeNotesFile(table, true);
}

std::string DiaryCaption(std::int32_t date) { return FormatLocalTime(date, "%B %d, %Y"); }

}  // namespace veltrin
