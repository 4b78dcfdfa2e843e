#include "imaging/Skin.h"

namespace veltrin {

namespace {
constexpr std::uint8_t kTintAlpha = 51;
}

Picture TintPicture(const Picture& picture, Rgb colour) { return picture.blendedCopy(colour, kTintAlpha); }

FacePosition PositionInRow(int index, int count) {
    if (index <= 0) return FacePosition::Left;
    if (index >= count - 1) return FacePosition::Right;
    return FacePosition::Middle;
}

ButtonFaces CutButtonFaces(const Picture& normal, const Picture& hover, const Picture& selected) {
    ButtonFaces faces;
    auto thirds = [](const Picture& p, std::array<Picture, 3>& out) {
        const int w = p.width();
        out[static_cast<int>(FacePosition::Left)] = p.columns(0, w / 3);
        out[static_cast<int>(FacePosition::Middle)] = p.columns(w / 3, 2 * w / 3);
        out[static_cast<int>(FacePosition::Right)] = p.columns(2 * w / 3, w);
    };
    thirds(normal, faces.normal);
    thirds(hover, faces.hover);
    faces.selected = selected;
    return faces;
}

bool Skin::ApplyButtonColour(std::uint32_t colour) {
    if (buttonsApplied_ && colour == buttonColour_) return false;
    const Rgb c = RgbFromColour(colour);
    const SkinPictures& p = pictures_;
    topFaces_ = CutButtonFaces(TintPicture(p.topNormal, c), TintPicture(p.topHover, c),
                               TintPicture(p.topSelected, c));
    smallFaces_ = CutButtonFaces(TintPicture(p.smallNormal, c), TintPicture(p.smallHover, c),
                                 TintPicture(p.smallSelected, c));
    buttonColour_ = colour;
    buttonsApplied_ = true;
    return true;
}

bool Skin::ApplySkinColour(std::uint32_t colour) {
    if (skinApplied_ && colour == skinColour_) return false;
    const Rgb c = RgbFromColour(colour);
    background_ = TintPicture(pictures_.background, c);
    // Without a background picture the views still get the chosen colour.
    strip_ = background_.isNull() ? c : background_.pixel(kSampleColumn, kStripSampleRow);
    panel_ = background_.isNull() ? c : background_.pixel(kSampleColumn, kPanelSampleRow);
    skinColour_ = colour;
    skinApplied_ = true;
    return true;
}

Rgb DimmedClockBack(Rgb back) {
    auto dim = [](std::uint8_t v) {
        const int d = static_cast<int>(v * 0.92);
        return static_cast<std::uint8_t>(d == 0 ? 40 : d);
    };
    return {dim(back.r), dim(back.g), dim(back.b)};
}

ClockPictures RecolourClock(const ClockPictures& original, Rgb back, Rgb digit) {
    ClockPictures out = original;
    out.face.replaceColours({{kClockBack, back}, {kClockDigit, digit}});
    const std::vector<Picture::ColourSwap> strip = {
        {kClockBack, back}, {kClockDigit, digit}, {kClockUnlit, DimmedClockBack(back)}};
    out.largeDigits.replaceColours(strip);
    out.smallDigits.replaceColours(strip);
    return out;
}

}  // namespace veltrin
