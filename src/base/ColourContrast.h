#pragma once

#include "base/Colour.h"

namespace veltrin {

// How far apart two colours are for reading text, as the ratio of their
// relative luminances (each plus 0.05): 1 for equal colours, 21 for black
// on white.
double ContrastRatio(Colour a, Colour b);

// Below this, text is hard to read on its background.
inline constexpr double kReadableContrast = 3.0;

// The colour to draw text in on a background: the wanted colour while it
// can be read there, else black or white, whichever stands out more. A
// chosen text colour that has become unreadable after a change of skin thus
// stays readable without changing the setting.
Colour ReadableTextColour(Colour wanted, Colour back);

}  // namespace veltrin
