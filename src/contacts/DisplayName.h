#pragma once

#include <string>
#include <vector>

namespace veltrin {

// The "Name" field a contact shows: the first name, then the middle and the
// last name each after one blank when given. An empty first name leaves a
// leading blank, as the address book always composed it.
std::string ComposeDisplayName(const std::string& first, const std::string& middle, const std::string& last);

// Whether the sheet keeps the display name composed while the names are
// typed: when it is empty or begins with the first name (an empty first name
// always matches). Decided once, when the sheet opens.
bool DisplayNameAutomatic(const std::string& display, const std::string& first);

// The drop-down's choices: the present text (only when typed by hand), the
// composed name, and the nickname when there is one.
std::vector<std::string> DisplayNameChoices(const std::string& present, bool automatic,
                                            const std::string& composed, const std::string& nickname);

}  // namespace veltrin
