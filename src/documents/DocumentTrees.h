#pragma once

#include "controls/GroupTreeModel.h"
#include "documents/DocumentRecords.h"

namespace veltrin {

// The Diary view's page list: one top-level node per page, in table order.
// Returns the page stored as current (selected), or kNoNode.
NodeHandle BuildDiaryList(GroupTreeModel& list, const DiaryTable& table);
void FillDiaryTable(const GroupTreeModel& list, NodeHandle currentPage, DiaryTable& table);

// The Notes view's tree. Returns the selected note: the one stored as
// current, else the first top-level note, else kNoNode.
NodeHandle BuildNotesTree(GroupTreeModel& tree, const NoteTable& table);
void FillNoteTable(const GroupTreeModel& tree, NodeHandle currentNote, NoteTable& table);

// A page's date as its caption line shows it: "%B %d, %Y".
std::string DiaryCaption(std::int32_t date);

}  // namespace veltrin
