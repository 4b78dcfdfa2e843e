#include "storage/StoredText.h"

#include <cstdint>
#include <cstring>

namespace veltrin {

namespace {

// Windows-1252 bytes 0x80..0x9F. The five that the code page leaves unassigned
// keep their value as C1 controls, as Windows itself maps them.
constexpr std::uint16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

namespace {

// The place of the first byte at or after i that starts no well-formed UTF-8
// sequence; size when there is none.
std::size_t NextStrayByte(std::string_view s, std::size_t i) {
    while (i < s.size()) {
        // Eight ASCII bytes at a time: most texts are mostly ASCII.
        std::uint64_t word;
        if (i + 8 <= s.size() && (std::memcpy(&word, s.data() + i, 8), (word & 0x8080808080808080u) == 0)) {
            i += 8;
            continue;
        }
        if (static_cast<unsigned char>(s[i]) < 0x80) {
            ++i;
            continue;
        }
        std::size_t n = 0;
        DecodeUtf8At(s, i, n);
        if (n == 0) return i;
        i += n;
    }
    return i;
}

}  // namespace

std::string StoredTextToUtf8(const std::string& bytes) {
    std::size_t stray = NextStrayByte(bytes, 0);
    if (stray == bytes.size()) return bytes;
    std::string out;
    out.reserve(bytes.size() + 16);
    std::size_t from = 0;
    // Runs of UTF-8 go over whole, each stray byte as its Windows-1252 letter.
    while (stray < bytes.size()) {
        out.append(bytes, from, stray - from);
        const unsigned char b = static_cast<unsigned char>(bytes[stray]);
        AppendUtf8(out, b < 0xA0 ? kHighControls[b - 0x80] : b);
        from = stray + 1;
        stray = NextStrayByte(bytes, from);
    }
    out.append(bytes, from, std::string::npos);
    return out;
}

bool IsUtf8(std::string_view text) { return NextStrayByte(text, 0) == text.size(); }

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::uint32_t DecodeUtf8At(std::string_view s, std::size_t i, std::size_t& length) {
    const auto byte = [&s](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b = byte(i);
    length = 0;
    if (b < 0x80) {
        length = 1;
        return b;
    }
    std::size_t n;
    std::uint32_t cp;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
        cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        cp = b & 0x0F;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        cp = b & 0x07;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + n > s.size() || byte(i + 1) < low || byte(i + 1) > high) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    length = n;
    return cp;
}

}  // namespace veltrin
