#pragma once

#include <memory>

#include "platform/Platform.h"

class QSoundEffect;

namespace veltrin {

// Message boxes with no owner window. While the program is ending they are
// no longer shown: questions answer No, notices are dropped.
class QtMessages : public Messages {
public:
    Answer show(const std::string& text, const std::string& caption, Icon icon, Buttons buttons) override;
    static void setEnding(bool ending);
};

class QtShell : public Shell {
public:
    bool open(const std::string& target) override;
    bool startProgram(const std::string& path) override;
};

class QtSound : public Sound {
public:
    QtSound();
    ~QtSound() override;
    void play(const std::string& path) override;

private:
    std::unique_ptr<QSoundEffect> effect_;
};

// Help pages are HTML files in the "help" folder beside the program; a topic
// without a page does nothing.
class QtHelp : public Help {
public:
    void showTopic(const std::string& topic) override;
};

// Installs the Qt services for the life of the object.
class QtServices {
public:
    QtServices();
    ~QtServices();

private:
    QtMessages messages_;
    QtShell shell_;
    QtSound sound_;
    QtHelp help_;
};

}  // namespace veltrin
