#include "tree/GroupIcons.h"

namespace veltrin {

const std::vector<const char*>& GroupIconNames() {
    static const std::vector<const char*> names = {
        "folder",          "folder-remote",        "user-home",        "user-desktop",
        "office-calendar", "x-office-calendar",    "appointment-new",  "x-office-address-book",
        "system-users",    "internet-mail",        "emblem-important", "emblem-favorite",
        "face-smile",      "applications-games",   "audio-x-generic",  "image-x-generic",
        "computer",        "internet-web-browser", "weather-clear",    "start-here",
    };
    return names;
}

}  // namespace veltrin
