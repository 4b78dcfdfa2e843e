#include "app/Notifications.h"

namespace veltrin {

std::string HomePage() { return VELTRIN_HOME_PAGE; }

std::string TrimmedAddress(const std::string& typed) {
    const char* blanks = " \t\r\n\f\v";
    const auto first = typed.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    return typed.substr(first, typed.find_last_not_of(blanks) - first + 1);
}

std::string EncodeQueryValue(const std::string& text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '-' || c == '.' || c == '_' || c == '~' || c == '@';
        if (keep) {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        }
    }
    return out;
}

std::string SubscriptionAddress(const std::string& homePage, bool subscribe, const std::string& email) {
    return homePage + "subscribe.php?subscribe=" + (subscribe ? "1" : "0") +
           "&email=" + EncodeQueryValue(TrimmedAddress(email));
}

}  // namespace veltrin
