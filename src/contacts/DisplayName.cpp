#include "contacts/DisplayName.h"

namespace veltrin {

std::string ComposeDisplayName(const std::string& first, const std::string& middle, const std::string& last) {
    std::string name = first;
    if (!middle.empty()) name += ' ' + middle;
    if (!last.empty()) name += ' ' + last;
    return name;
}

bool DisplayNameAutomatic(const std::string& display, const std::string& first) {
    return display.empty() || display.compare(0, first.size(), first) == 0;
}

std::vector<std::string> DisplayNameChoices(const std::string& present, bool automatic,
                                            const std::string& composed, const std::string& nickname) {
    std::vector<std::string> choices;
    if (!automatic) choices.push_back(present);
    choices.push_back(composed);
    if (!nickname.empty()) choices.push_back(nickname);
    return choices;
}

}  // namespace veltrin
