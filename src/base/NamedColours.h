#pragma once

#include <array>

#include "base/Colour.h"

namespace veltrin {

struct NamedColour {
    const char* name;
    Colour value;  // 0x00BBGGRR
};

// The 140 colour keywords of the web (the X11 names) with their standard
// values, in alphabetical order. Some share a value (Aqua and Cyan).
inline constexpr int kNamedColourCount = 140;
const std::array<NamedColour, kNamedColourCount>& NamedColours();

// The first named colour with that value, or -1 when no name has it.
int NamedColourIndex(Colour value);

// The colour picker's palette: 8 columns by 5 rows, row by row; the name is
// the tooltip of its square.
inline constexpr int kPaletteColumns = 8;
inline constexpr int kPaletteRows = 5;
const std::array<NamedColour, kPaletteColumns * kPaletteRows>& PaletteColours();

// A colour written the web's way (0xRRGGBB) as the files store it.
constexpr Colour ColourFromWebRgb(std::uint32_t rgb) {
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

}  // namespace veltrin
