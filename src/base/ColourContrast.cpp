#include "base/ColourContrast.h"

#include <algorithm>
#include <cmath>

namespace veltrin {

namespace {

double Linear(Colour c, int shift) {
    const double v = static_cast<double>((c >> shift) & 0xFF) / 255.0;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double Luminance(Colour c) { return 0.2126 * Linear(c, 0) + 0.7152 * Linear(c, 8) + 0.0722 * Linear(c, 16); }

}  // namespace

double ContrastRatio(Colour a, Colour b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Colour ReadableTextColour(Colour wanted, Colour back) {
    if (ContrastRatio(wanted, back) >= kReadableContrast) return wanted;
    constexpr Colour kBlack = 0x00000000, kWhite = 0x00FFFFFF;
    return ContrastRatio(kBlack, back) >= ContrastRatio(kWhite, back) ? kBlack : kWhite;
}

}  // namespace veltrin
