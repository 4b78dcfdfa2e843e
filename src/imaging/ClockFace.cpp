#include "imaging/ClockFace.h"

namespace veltrin {

namespace {

// Tens and units of a two-digit field; larger values keep their last two.
void putTwo(ClockDigits& d, int at, int value) {
    const int v = ((value % 100) + 100) % 100;
    d[at] = static_cast<std::uint8_t>(v / 10);
    d[at + 1] = static_cast<std::uint8_t>(v % 10);
}

}  // namespace

ClockDigits ClockDigitsAt(std::int64_t year, int month, int day, int hour, int minute, int second,
                          int dateOrder) {
    ClockDigits d{};
    putTwo(d, 0, hour);
    putTwo(d, 2, minute);
    putTwo(d, 4, second);
    const bool monthFirst = dateOrder == kMonthDayYear;
    putTwo(d, 6, monthFirst ? month : day);
    putTwo(d, 8, monthFirst ? day : month);
    const int y = static_cast<int>(((year % 10000) + 10000) % 10000);
    putTwo(d, 10, y / 100);
    putTwo(d, 12, y % 100);
    return d;
}

PixelRect ClockDigitSource(ClockStrip strip, int digit) {
    const bool large = strip == ClockStrip::Large;
    const int w = large ? kLargeDigitWidth : kSmallDigitWidth;
    const int h = large ? kLargeDigitHeight : kSmallDigitHeight;
    return {digit * w, 0, w, h};
}

}  // namespace veltrin
