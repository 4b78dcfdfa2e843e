#include "platform/Platform.h"

#include <cstdio>
#include <ctime>

namespace veltrin {

std::int64_t SystemClock::now() const { return static_cast<std::int64_t>(std::time(nullptr)); }

Messages::Answer ConsoleMessages::show(const std::string& text, const std::string& caption, Icon,
                                       Buttons buttons) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
}

namespace {

class NoShell : public Shell {
public:
    bool open(const std::string&) override { return false; }
};
class NoSound : public Sound {
public:
    void play(const std::string&) override {}
};
class NoHelp : public Help {
public:
    void showTopic(const std::string&) override {}
};

struct Services {
    ConsoleMessages consoleMessages;
    SystemClock systemClock;
    NoShell noShell;
    NoSound noSound;
    NoHelp noHelp;
    XdgAutostart xdgAutostart;

    Messages* messages = &consoleMessages;
    Clock* clock = &systemClock;
    Shell* shell = &noShell;
    Sound* sound = &noSound;
    Help* help = &noHelp;
    Autostart* autostart = &xdgAutostart;
};

Services& services() {
    static Services s;
    return s;
}

}  // namespace

Messages& messages() { return *services().messages; }
Clock& clock() { return *services().clock; }
Shell& shell() { return *services().shell; }
Sound& sound() { return *services().sound; }
Help& help() { return *services().help; }
Autostart& autostart() { return *services().autostart; }

void setMessages(Messages* m) { services().messages = m ? m : &services().consoleMessages; }
void setClock(Clock* c) { services().clock = c ? c : &services().systemClock; }
void setShell(Shell* s) { services().shell = s ? s : &services().noShell; }
void setSound(Sound* s) { services().sound = s ? s : &services().noSound; }
void setHelp(Help* h) { services().help = h ? h : &services().noHelp; }
void setAutostart(Autostart* a) { services().autostart = a ? a : &services().xdgAutostart; }

bool OpenWithShell(const std::string& target) {
    if (shell().open(target)) return true;
    messages().fileError("Cannot open \"" + target + "\".");
    return false;
}

}  // namespace veltrin
