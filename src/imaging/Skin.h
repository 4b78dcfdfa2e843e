#pragma once

#include <array>
#include <cstdint>
#include <utility>

#include "imaging/Picture.h"

namespace veltrin {

// Tints a picture with a colour: a copy whose alpha is set to 51 everywhere,
// blended onto the flat colour. The picture shows through at one fifth of its
// strength: (p × 51 + c × 204) / 255 per channel, truncated.
Picture TintPicture(const Picture& picture, Rgb colour);

// Where a button sits in its row decides which faces it wears.
enum class FacePosition { Left, Middle, Right };
// The first button of a row is Left, the last Right, all others Middle.
FacePosition PositionInRow(int index, int count);

// The seven faces of one button set.
struct ButtonFaces {
    std::array<Picture, 3> normal;  // by FacePosition
    std::array<Picture, 3> hover;
    Picture selected;
};

// Cuts the faces from the three tinted pictures of one set: the normal and
// hover pictures in thirds (columns 0–w/3, w/3–2w/3, 2w/3–w), the selected
// picture whole.
ButtonFaces CutButtonFaces(const Picture& normal, const Picture& hover, const Picture& selected);

// The decoded pictures of the skin, each with full alpha (ceiling 255).
struct SkinPictures {
    Picture smallNormal, smallHover, smallSelected;  // 300 × 30, 300 × 30, 100 × 30
    Picture topNormal, topHover, topSelected;        // 270 × 73, 270 × 73, 90 × 73
    Picture background;                              // 1024 × 653
};

// Each skin picture with its resource (type "JPG") and size, in load order.
struct SkinPictureSize {
    Picture SkinPictures::*picture;
    const char* resource;
    int width, height;
};
inline constexpr std::array<SkinPictureSize, 7> kSkinPictureSizes = {{
    {&SkinPictures::smallNormal, "261", 300, 30},
    {&SkinPictures::smallHover, "262", 300, 30},
    {&SkinPictures::smallSelected, "263", 100, 30},
    {&SkinPictures::topNormal, "IDR_TOPMENUNORMAL_JPG", 270, 73},
    {&SkinPictures::topHover, "IDR_TOPMENUHOVER_JPG", 270, 73},
    {&SkinPictures::topSelected, "IDR_TOPMENUSELECTED_JPG", 90, 73},
    {&SkinPictures::background, "IDR_BACKGROUND1_JPG", 1024, 653},
}};

// The skin's working state: the tinted pictures, the faces cut from them and
// the colours sampled from the tinted background. Each Apply call redoes only
// its own group, and only when its colour changed (or nothing was applied
// yet); it returns whether it did any work.
class Skin {
public:
    Skin() = default;
    explicit Skin(SkinPictures pictures) : pictures_(std::move(pictures)) {}

    const SkinPictures& pictures() const { return pictures_; }
    // The background as decoded, for a holder that can decode it again and
    // need not keep it between tints.
    Picture takeBackgroundPicture() { return std::exchange(pictures_.background, Picture()); }
    void setBackgroundPicture(Picture p) { pictures_.background = std::move(p); }

    // Tints the top and small pictures and cuts both face sets.
    bool ApplyButtonColour(std::uint32_t colour);
    // Tints the background and samples the strip and panel colours.
    bool ApplySkinColour(std::uint32_t colour);
    bool SkinColourApplied(std::uint32_t colour) const { return skinApplied_ && colour == skinColour_; }

    const ButtonFaces& topFaces() const { return topFaces_; }
    const ButtonFaces& smallFaces() const { return smallFaces_; }
    // The faces handed over to a window that keeps them in its own form,
    // as for the background.
    ButtonFaces takeTopFaces() { return std::exchange(topFaces_, ButtonFaces()); }
    ButtonFaces takeSmallFaces() { return std::exchange(smallFaces_, ButtonFaces()); }
    const Picture& background() const { return background_; }
    // The tinted background, handed over to a window that keeps it in its
    // own form: the skin then holds none until its colour is applied again.
    Picture takeBackground() { return std::exchange(background_, Picture()); }
    // Column 10 of the tenth row from the bottom: the main window's surface
    // and the Today view's background.
    Rgb stripColour() const { return strip_; }
    // Column 10 of the third row from the bottom: the other views' panels.
    Rgb panelColour() const { return panel_; }

private:
    SkinPictures pictures_;
    ButtonFaces topFaces_, smallFaces_;
    Picture background_;
    Rgb strip_{255, 255, 255}, panel_{255, 255, 255};
    bool buttonsApplied_ = false, skinApplied_ = false;
    std::uint32_t buttonColour_ = 0, skinColour_ = 0;
};

// Where the skin samples its colours (column, row from the bottom).
inline constexpr int kSampleColumn = 10;
inline constexpr int kStripSampleRow = 9;
inline constexpr int kPanelSampleRow = 2;

// The clock's three palette pictures and their fixed colours.
struct ClockPictures {
    Picture face;         // 151 × 72
    Picture largeDigits;  // 240 × 34, ten 24 × 34 cells
    Picture smallDigits;  // 120 × 17, ten 12 × 17 cells
};
inline constexpr Rgb kClockBack{179, 183, 139};
inline constexpr Rgb kClockDigit{0, 0, 0};
inline constexpr Rgb kClockUnlit{158, 164, 108};

// Unlit segments take the background dimmed: each channel × 0.92, truncated,
// with 0 replaced by 40 so they stay visible on black.
Rgb DimmedClockBack(Rgb back);
// Recolours a copy of the clock pictures with the user's colours: background
// and lit segments in all three, unlit segments in the digit strips. Every
// pixel is mapped by its original colour, so a black background does not
// turn into the digit colour afterwards.
ClockPictures RecolourClock(const ClockPictures& original, Rgb back, Rgb digit);

}  // namespace veltrin
