#include "search/Folding.h"

#include "storage/StoredText.h"

namespace veltrin {

namespace {

// Base letters of U+00C0..U+00FF; '*' marks the ones handled on their own.
constexpr char kLatin1[65] = "aaaaaa*ceeeeiiiidnooooo*ouuuuy**aaaaaa*ceeeeiiiidnooooo*ouuuuy*y";
// Base letters of U+0100..U+017F; '*' as above.
constexpr char kLatinExtendedA[129] =
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiii**jjkkkllllllllll"
    "nnnnnnnnnoooooo**rrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";

bool isBlank(std::uint32_t cp) {
    return (cp < 0x20 && cp != kFieldSeparator) || cp == 0x7F || (cp >= 0x80 && cp < 0xA0) || cp == 0xA0 ||
           cp == 0x1680 || (cp >= 0x2000 && cp <= 0x200A) || cp == 0x2028 || cp == 0x2029 || cp == 0x202F ||
           cp == 0x205F || cp == 0x3000;
}

// What one code point folds to; empty for one that is dropped.
const char* foldedAscii(std::uint32_t cp, char (&one)[2]) {
    one[1] = 0;
    if (cp >= 'A' && cp <= 'Z') {
        one[0] = static_cast<char>(cp + 32);
        return one;
    }
    if (cp >= 0xC0 && cp <= 0xFF) {
        switch (cp) {
        case 0xC6:
        case 0xE6: return "ae";
        case 0xD7: return "\xC3\x97";
        case 0xF7: return "\xC3\xB7";
        case 0xDE:
        case 0xFE: return "th";
        case 0xDF: return "ss";
        default: one[0] = kLatin1[cp - 0xC0]; return one;
        }
    }
    if (cp >= 0x100 && cp <= 0x17F) {
        if (cp == 0x132 || cp == 0x133) return "ij";
        if (cp == 0x152 || cp == 0x153) return "oe";
        one[0] = kLatinExtendedA[cp - 0x100];
        return one;
    }
    // Combining accents, and the invisible soft hyphen and zero-width marks.
    if ((cp >= 0x300 && cp <= 0x36F) || cp == 0xAD || (cp >= 0x200B && cp <= 0x200D) || cp == 0x2060 ||
        cp == 0xFEFF)
        return "";
    switch (cp) {
    case 0x192: return "f";
    case 0x2018:
    case 0x2019:
    case 0x201A:
    case 0x2039:
    case 0x203A: return "'";
    case 0x201C:
    case 0x201D:
    case 0x201E:
    case 0xAB:
    case 0xBB: return "\"";
    case 0x2010:
    case 0x2011:
    case 0x2012:
    case 0x2013:
    case 0x2014: return "-";
    case 0x2026: return "...";
    default: return nullptr;
    }
}

// Greek and Cyrillic capitals to small letters; other scripts as they are.
std::uint32_t lowerOther(std::uint32_t cp) {
    if (cp >= 0x391 && cp <= 0x3AB && cp != 0x3A2) return cp + 0x20;
    if (cp >= 0x410 && cp <= 0x42F) return cp + 0x20;
    if (cp >= 0x400 && cp <= 0x40F) return cp + 0x50;
    return cp;
}

}  // namespace

std::string FoldText(std::string_view utf8, std::vector<std::uint32_t>* sourceOffsets) {
    std::string out;
    out.reserve(utf8.size());
    if (sourceOffsets) {
        sourceOffsets->clear();
        sourceOffsets->reserve(utf8.size());
    }
    bool blank = false;  // the last byte written is a blank
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t at = i;
        const unsigned char b = static_cast<unsigned char>(utf8[i]);
        std::size_t before = out.size();
        if ((b < 0x80 && b > 0x20 && b != 0x7F) || b == kFieldSeparator) {  // the common case first
            out += static_cast<char>(b >= 'A' && b <= 'Z' ? b + 32 : b);
            ++i;
            blank = false;
        } else {
            std::size_t length = 0;
            const std::uint32_t cp = DecodeUtf8At(utf8, i, length);
            if (length == 0) {  // not UTF-8: kept as it is
                out += static_cast<char>(b);
                ++i;
                blank = false;
            } else {
                i += length;
                char one[2];
                if (isBlank(cp) || cp == ' ') {
                    if (!blank) out += ' ';
                    blank = true;
                } else if (const char* folded = foldedAscii(cp, one)) {
                    out += folded;
                    if (*folded) blank = false;
                } else {
                    AppendUtf8(out, lowerOther(cp));
                    blank = false;
                }
            }
        }
        if (sourceOffsets)
            for (; before < out.size(); ++before) sourceOffsets->push_back(static_cast<std::uint32_t>(at));
    }
    return out;
}

std::string FoldStoredText(const std::string& bytes) { return FoldText(StoredTextToUtf8(bytes)); }

}  // namespace veltrin
