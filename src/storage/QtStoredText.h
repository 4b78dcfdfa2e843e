#pragma once

#include <QString>
#include <string>

#include "storage/StoredText.h"

namespace veltrin {

// Texts from the data files as the screen shows them (UTF-8, with bytes from
// older files read as Windows-1252), and what the screen gives back to them.
inline QString FromStored(const std::string& bytes) {
    return QString::fromStdString(StoredTextToUtf8(bytes));
}
inline std::string ToStored(const QString& text) { return text.toStdString(); }

// What an edit box hands back to a stored text: the stored bytes themselves
// while the box still holds what it was filled with (as the box gives it
// back, line breaks included), so a text nobody edited keeps its old bytes.
inline std::string StoredAfterEdit(const QString& text, const QString& filledWith,
                                   const std::string& stored) {
    return text == filledWith ? stored : ToStored(text);
}

}  // namespace veltrin
