#pragma once

#include "platform/Autostart.h"
#include "platform/Clock.h"
#include "platform/Help.h"
#include "platform/Messages.h"
#include "platform/Shell.h"
#include "platform/Sound.h"

namespace veltrin {

// The services the program takes from its surroundings. The program installs
// its Qt implementations at start; tests install fakes. Without either, the
// core falls back to plain ones (messages on standard error, the system clock,
// the XDG autostart entry, and no shell, sound or help).
Messages& messages();
Clock& clock();
Shell& shell();
Sound& sound();
Help& help();
Autostart& autostart();

void setMessages(Messages* m);
void setClock(Clock* c);
void setShell(Shell* s);
void setSound(Sound* s);
void setHelp(Help* h);
void setAutostart(Autostart* a);

// Opens a document or address through the shell; when the desktop cannot
// open it, says so, naming it. False when nothing was opened.
bool OpenWithShell(const std::string& target);

// Writes each message to standard error and gives the default answer:
// OK, or No for a question, so nothing destructive is ever confirmed.
class ConsoleMessages : public Messages {
public:
    Answer show(const std::string& text, const std::string& caption, Icon icon, Buttons buttons) override;
};

}  // namespace veltrin
