#pragma once

#include <string>

namespace veltrin {

// The program's home page; the subscription page lies beside it. Set at
// build time (VELTRIN_HOME_PAGE), ending in '/'.
std::string HomePage();

// An address as typed, without the blanks around it; blanks alone give "".
std::string TrimmedAddress(const std::string& typed);

// A text for a query value: letters, digits, "-._~" and '@' stay, every
// other byte becomes %XX, so no typed character can add or cut a query key.
std::string EncodeQueryValue(const std::string& text);

// The subscription page with "?subscribe=1" or "0" and "&email=" and the
// encoded, trimmed address.
std::string SubscriptionAddress(const std::string& homePage, bool subscribe, const std::string& email);

}  // namespace veltrin
