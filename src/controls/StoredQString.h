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

}  // namespace veltrin
