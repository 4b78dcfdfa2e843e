#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "storage/Archive.h"

namespace veltrin::bench {

// A counted string written and read the plain way, straight through stdio:
// the yardstick the archive's own transfers are measured against.
inline void plainWriteString(std::FILE* f, std::string_view s) {
    const std::string prefix = Archive::lengthPrefix(s.size());
    std::fwrite(prefix.data(), 1, prefix.size(), f);
    std::fwrite(s.data(), 1, s.size(), f);
}

inline void plainReadString(std::FILE* f, std::string& s) {
    unsigned char b = 0;
    std::fread(&b, 1, 1, f);
    std::uint32_t len = b;
    if (b == 0xFF) {
        std::uint16_t w = 0;
        std::fread(&w, 2, 1, f);
        len = w;
        if (w == 0xFFFF) std::fread(&len, 4, 1, f);
    }
    s.resize(len);
    std::fread(s.data(), 1, len, f);
}

}  // namespace veltrin::bench
