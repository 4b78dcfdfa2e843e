#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "storage/Archive.h"

namespace veltrin {

// One diary page, in list order (by date).
struct DiaryPage {
    std::string title;  // "%Y, %B %d" of the page's day, as shown
    std::string html;
    std::int32_t date = 0;  // local midnight of the page's day
    std::int32_t isCurrent = 0;

    void Transfer(Archive& ar);
    static constexpr std::size_t kMinStoredSize = 2 * 1 + 2 * 4;
};

// One note, in pre-order of the notes tree.
struct NoteItem {
    std::int32_t levelStep = 0;
    std::string name;
    std::int32_t iconIndex = 0;
    std::int32_t bold = 0;
    std::int32_t isCurrent = 0;
    std::int32_t collapsed = 1;
    std::string html;
    std::int32_t created = 0;

    void Transfer(Archive& ar);
    static constexpr std::size_t kMinStoredSize = 6 * 4 + 2 * 1;
};

using DiaryTable = std::vector<DiaryPage>;
using NoteTable = std::vector<NoteItem>;

// Loading (store == false) appends the file's records to the table; storing
// writes the whole table. True on success; every failure has been reported.
bool SerializeDiaryFile(DiaryTable& table, bool store);
bool SerializeNotesFile(NoteTable& table, bool store);

}  // namespace veltrin
