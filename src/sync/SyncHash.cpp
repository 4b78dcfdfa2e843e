#include "sync/SyncHash.h"

#include <cstdio>

#include "storage/Digest.h"

namespace veltrin {

std::string HexDigest(const std::string& text, bool shortForm) {
    Digest digest;
    digest.add(text.data(), text.size());
    const DigestValue v = digest.value();
    char hex[33];
    if (shortForm)
        std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(v.low));
    else
        std::snprintf(hex, sizeof hex, "%016llx%016llx", static_cast<unsigned long long>(v.high),
                      static_cast<unsigned long long>(v.low));
    return hex;
}

}  // namespace veltrin
