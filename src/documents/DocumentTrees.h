#pragma once

#include "documents/DocumentRecords.h"
#include "tree/GroupTreeModel.h"

namespace veltrin {

// The Diary view's page list: one top-level node per page, in table order.
// Returns the page stored as current (selected), or kNoNode.
NodeHandle BuildDiaryList(GroupTreeModel& list, const DiaryTable& table);
void FillDiaryTable(const GroupTreeModel& list, NodeHandle currentPage, DiaryTable& table);

// The Notes view's tree. Returns the selected note: the one stored as
// current, else the first top-level note, else kNoNode.
NodeHandle BuildNotesTree(GroupTreeModel& tree, const NoteTable& table);
void FillNoteTable(const GroupTreeModel& tree, NodeHandle currentNote, NoteTable& table);

// What the Diary view holds while the program runs: its page list (the live
// copy of the pages once built) and the page being shown.
struct DiaryViews {
    const GroupTreeModel* list = nullptr;
    NodeHandle currentPage = kNoNode;
};
// What the Notes view holds: its tree and the note being shown.
struct NoteViews {
    const GroupTreeModel* tree = nullptr;
    NodeHandle currentNote = kNoNode;
};

// The documents' save steps: the table is rebuilt from the view's list or
// tree (when the view holds one), then the file is stored. Without a view the
// table is written as it is.
bool SaveDiary(DiaryTable& table, const DiaryViews& views);
bool SaveNotes(NoteTable& table, const NoteViews& views);

// A page's date as its caption line shows it: "%B %d, %Y".
std::string DiaryCaption(std::int32_t date);

}  // namespace veltrin
