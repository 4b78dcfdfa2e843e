#pragma once

#include <QPointer>
#include <memory>
#include <vector>

#include "platform/Platform.h"
#include "platform/QtSoundModule.h"

class QMessageBox;
class QString;
class QTextBrowser;

namespace veltrin {

// Message boxes with no owner window. While the program is ending they are
// no longer shown: questions answer No, notices are dropped.
class QtMessages : public Messages {
public:
    ~QtMessages() override;
    Answer show(const std::string& text, const std::string& caption, Icon icon, Buttons buttons) override;
    // Shows the box and returns at once; the box goes when it is closed, or
    // with this object.
    void notice(const std::string& text) override;
    static void setEnding(bool ending);

private:
    std::vector<QPointer<QMessageBox>> notices_;
};

class QtShell : public Shell {
public:
    bool open(const std::string& target) override;
    bool startProgram(const std::string& path) override;
};

// Plays through the sound module, loaded with the first sound; without it,
// every sound is a beep, and the user is told why once.
class QtSound : public Sound {
public:
    void play(const std::string& path) override;
    bool moduleLoaded() const { return player_ != nullptr; }

private:
    bool tried_ = false;
    SoundPlayer player_ = nullptr;
};

// Help pages are HTML files in the "help" folder beside the program; a topic
// without a page does nothing.
class QtHelp : public Help {
public:
    ~QtHelp() override;
    void showTopic(const std::string& topic) override;

private:
    // Without a dialog open it has no owner, so it goes with this object.
    QPointer<QTextBrowser> browser_;
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
