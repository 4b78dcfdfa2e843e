#pragma once

#include <array>
#include <cstdint>

#include "imaging/Picture.h"

namespace veltrin {

// What the liquid-crystal clock shows, apart from drawing it: the digit
// values of a moment and where each digit's cell sits on the face.

inline constexpr int kClockFaceWidth = 151;
inline constexpr int kClockFaceHeight = 72;

// The date order that puts the month first; any other value is day first.
inline constexpr int kMonthDayYear = 1;

// Fourteen digit values, each 0 to 9: hour tens, hour units, minute tens,
// minute units, second tens, second units, then the eight digits of the
// date (two, two and four, in the chosen order).
using ClockDigits = std::array<std::uint8_t, 14>;

// The digits of a local moment. The year shows its last four digits, so a
// year outside 0–9999 can never pick a cell outside the digit strips.
ClockDigits ClockDigitsAt(std::int64_t year, int month, int day, int hour, int minute, int second,
                          int dateOrder);

enum class ClockStrip { Large, Small };

// One digit cell of the face: the strip its digit comes from and the cell's
// top-left corner in the face (from the top).
struct ClockCell {
    ClockStrip strip;
    int x, y;
};

// The cells in the order of ClockDigits. The dashes and the colon belong to
// the face and are never redrawn.
inline constexpr std::array<ClockCell, 14> kClockCells = {{
    {ClockStrip::Large, 5, 33},
    {ClockStrip::Large, 32, 33},  // hours
    {ClockStrip::Large, 65, 33},
    {ClockStrip::Large, 92, 33},  // minutes
    {ClockStrip::Small, 120, 50},
    {ClockStrip::Small, 134, 50},  // seconds
    {ClockStrip::Small, 5, 5},
    {ClockStrip::Small, 19, 5},  // day or month
    {ClockStrip::Small, 41, 5},
    {ClockStrip::Small, 55, 5},  // month or day
    {ClockStrip::Small, 77, 5},
    {ClockStrip::Small, 91, 5},  // year
    {ClockStrip::Small, 105, 5},
    {ClockStrip::Small, 119, 5},
}};

// Cell sizes: the strips hold the digits 0 to 9 side by side.
inline constexpr int kLargeDigitWidth = 24;
inline constexpr int kLargeDigitHeight = 34;
inline constexpr int kSmallDigitWidth = 12;
inline constexpr int kSmallDigitHeight = 17;

// Where digit d lies in its strip: the cell starting at x = d × cell width.
PixelRect ClockDigitSource(ClockStrip strip, int digit);

}  // namespace veltrin
