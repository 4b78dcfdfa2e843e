#include "documents/DocumentRules.h"

#include <algorithm>
#include <cctype>

#include "base/LocalTime.h"
#include "base/Text.h"

namespace veltrin {

bool NeedsDesignMode(int command) {
    return (command >= kDocBold && command <= kDocInsertTime) ||
           (command >= kDocHorizontalLine && command <= kDocPicture);
}

std::string DiaryTitle(std::int32_t date) { return FormatLocalTime(date, "%Y, %B %d"); }

std::string DiaryExportName(std::int32_t date) { return FormatLocalTime(date, "Diary %d-%m-%Y"); }

std::string NewDiaryPageTitle(std::int32_t date) {
    return "New Diary page: " + FormatLocalTime(date, "%A, %B %d, %Y");
}

std::string NoteExportName(const std::string& name) {
    std::string out = name;
    std::replace(out.begin(), out.end(), '/', '_');
    std::replace(out.begin(), out.end(), '\0', '_');
    return out;
}

DiaryPlace FindDiaryPlace(const GroupTreeModel& list, std::int32_t date) {
    DiaryPlace place;
    place.existing = list.FindItem(kRootNode, kNoNode, 0, DiaryTitle(date), true);
    if (place.existing != kNoNode) return place;
    NodeHandle n = list.GetNextItem(kRootNode, kLastChild);
    while (n != kNoNode && list.GetPagePayload(n).value >= date) n = list.GetNextItem(n, kPrevSibling);
    place.after = n != kNoNode ? n : kInsertFirst;
    return place;
}

std::string MissingTemplateMessage(const std::string& name, TemplateUse use) {
    return "Cannot open template '" + name + "' !\n Open 'Options' dialog and choose other default " +
           (use == TemplateUse::Diary ? "Diary" : "Note") + " template!";
}

unsigned NoteRenameAnswer(const std::string& text) {
    if (CompareTextsNoCase(text, "invalid text") == 0) return kAnswerRefuse;
    if (CompareTextsNoCase(text, "continue") == 0) return kAnswerKeepOpen;
    return 0;
}

bool IsSafeLinkAddress(const std::string& address) {
    // Browsers skip blanks and control characters inside a scheme name.
    std::string scheme;
    for (char c : address) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20) continue;
        if (c == ':') break;
        scheme.push_back(static_cast<char>(std::tolower(u)));
        if (scheme.size() > 16) break;
    }
    return scheme != "javascript" && scheme != "vbscript";
}

const std::vector<int>& FontSizeChoices() {
    static const std::vector<int> sizes = {0,  1,  2,  3,  4,  5,  6,  8,  9,  10, 12,
                                           14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
    return sizes;
}

}  // namespace veltrin
