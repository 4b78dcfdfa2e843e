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
    kDocNewDiaryPage = 303,
    kDocDeleteDiaryPage = 304,
    kDocCut = 308,
    kDocCopy = 309,
    kDocPaste = 310,
    kDocSelectAll = 311,
    kDocBold = 312,
    kDocItalic = 313,
    kDocUnderline = 314,
    kDocStrikeOut = 315,
    kDocAlignLeft = 316,
    kDocCenter = 317,
    kDocAlignRight = 318,
    kDocBullets = 319,
    kDocInsertTime = 320,
    kDocPrintPreview = 321,
    kDocPrint = 322,
    kDocHorizontalLine = 323,
    kDocHyperlink = 324,
    kDocPicture = 325,
    kDocFind = 326,
    kDocSaveHtml = 327,
    kDocSaveText = 328,
    kDocDesignMode = 329,
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
