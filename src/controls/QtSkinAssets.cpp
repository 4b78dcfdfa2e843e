#include "controls/QtSkinAssets.h"

#include "imaging/QtPicture.h"
#include "imaging/QtSkinResources.h"

namespace veltrin {

QtSkinAssets::QtSkinAssets() : QtSkinAssets(LoadSkinPictures(), LoadClockPictures()) {
    reloadBackground_ = LoadSkinBackground;
}

QtSkinAssets::QtSkinAssets(SkinPictures pictures, ClockPictures clock)
    : skin_(std::move(pictures)), clockOriginal_(std::move(clock)) {}

bool QtSkinAssets::ApplyButtonColour(std::uint32_t colour) {
    if (!skin_.ApplyButtonColour(colour)) return false;
    // Kept once, as the buttons draw them.
    top_ = ToFacePixmaps(skin_.takeTopFaces());
    small_ = ToFacePixmaps(skin_.takeSmallFaces());
    return true;
}

bool QtSkinAssets::ApplySkinColour(std::uint32_t colour) {
    if (skin_.SkinColourApplied(colour)) return false;
    if (reloadBackground_ && skin_.pictures().background.isNull())
        skin_.setBackgroundPicture(reloadBackground_());
    if (!skin_.ApplySkinColour(colour)) return false;
    // Kept once, as the window draws it.
    background_ = ToQImage(skin_.takeBackground());
    // Decoded again for another colour, which the user seldom picks: the
    // tray holds one copy of the picture, not three.
    if (reloadBackground_) skin_.takeBackgroundPicture();
    stripColour_ = ToQColor(skin_.stripColour());
    panelColour_ = ToQColor(skin_.panelColour());
    return true;
}

void QtSkinAssets::DropUntintedBackground() {
    if (reloadBackground_) skin_.takeBackgroundPicture();
}

bool QtSkinAssets::ApplyClockColours(std::uint32_t back, std::uint32_t digit) {
    if (clockApplied_ && back == clockBack_ && digit == clockDigit_) return false;
    const ClockPictures c = RecolourClock(clockOriginal_, RgbFromColour(back), RgbFromColour(digit));
    clockFace_ = ToQImage(c.face);
    clockLarge_ = ToQImage(c.largeDigits);
    clockSmall_ = ToQImage(c.smallDigits);
    clockBack_ = back;
    clockDigit_ = digit;
    clockApplied_ = true;
    return true;
}

}  // namespace veltrin
