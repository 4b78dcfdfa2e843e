#pragma once

#include <string>

namespace veltrin {

// Message boxes as the program shows them; core code reports through this so
// that tests can record what the user would have seen.
class Messages {
public:
    enum class Icon { None, Information, Exclamation, Question, Error };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    virtual ~Messages() = default;
    virtual Answer show(const std::string& text, const std::string& caption, Icon icon, Buttons buttons) = 0;

    // The file-error box: caption "Veltrin", exclamation icon, OK.
    void fileError(const std::string& text) { show(text, "Veltrin", Icon::Exclamation, Buttons::Ok); }
};

}  // namespace veltrin
