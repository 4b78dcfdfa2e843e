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
    // The same box for a caller that must not wait for the user, such as a
    // reminder firing inside a timer tick: a box that waits would run the
    // event loop, and with it further ticks, under that caller.
    virtual void notice(const std::string& text) { fileError(text); }
};

}  // namespace veltrin
