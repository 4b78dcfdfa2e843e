#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tree/GroupTreeModel.h"

namespace veltrin {

// The rules the Diary and Notes views share with nothing else: page titles
// and placement, export names, template messages, the in-place rename answer
// and which editing commands need design mode.

enum DocumentCommand {
    kCmdNewDiaryPage = 303,
    kCmdDeleteDiaryPage = 304,
    kCmdCut = 308,
    kCmdCopy = 309,
    kCmdPaste = 310,
    kCmdSelectAll = 311,
    kCmdBold = 312,
    kCmdItalic = 313,
    kCmdUnderline = 314,
    kCmdStrikeOut = 315,
    kCmdAlignLeft = 316,
    kCmdCenter = 317,
    kCmdAlignRight = 318,
    kCmdBullets = 319,
    kCmdInsertTime = 320,
    kCmdPrintPreview = 321,
    kCmdPrint = 322,
    kCmdHorizontalLine = 323,
    kCmdHyperlink = 324,
    kCmdPicture = 325,
    kCmdFind = 326,
    kCmdSaveHtml = 327,
    kCmdSaveText = 328,
    kCmdDesignMode = 329,
};

// Commands that change the document run only in design mode.
bool NeedsDesignMode(int command);

// A page's title in the list, "%Y, %B %d", and its export name, "Diary %d-%m-%Y".
std::string DiaryTitle(std::int32_t date);
std::string DiaryExportName(std::int32_t date);
// The new-page dialog's title for the picked day.
std::string NewDiaryPageTitle(std::int32_t date);
// A note's export name: its name, with path separators made harmless.
std::string NoteExportName(const std::string& name);

// Where a new page for date goes in the flat page list: an existing page
// with the same title (ignoring case) is reused; otherwise the new page goes
// after `after` (kInsertFirst when every page is later).
struct DiaryPlace {
    NodeHandle existing = kNoNode;
    NodeHandle after = kInsertFirst;
};
DiaryPlace FindDiaryPlace(const GroupTreeModel& list, std::int32_t date);

// The message for a template without a start document.
enum class TemplateUse { Diary, Note };
std::string MissingTemplateMessage(const std::string& name, TemplateUse use);

// The answer to the end of an in-place rename of a note.
unsigned NoteRenameAnswer(const std::string& text);

// Links may not run code.
bool IsSafeLinkAddress(const std::string& address);

// The font-size box's entries, in order.
const std::vector<int>& FontSizeChoices();

}  // namespace veltrin
