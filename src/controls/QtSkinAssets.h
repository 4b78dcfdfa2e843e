#pragma once

#include <cstdint>

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <functional>

#include "controls/QtSkinPainting.h"
#include "imaging/Skin.h"

namespace veltrin {

// The main window's skin, ready for widgets: the pictures are decoded once,
// and each Apply call retints (and converts) only its own group, only when
// its colours changed since the last call. Colours are stored values
// 0x00BBGGRR. Each Apply returns whether it did any work.
class QtSkinAssets {
public:
    // Decodes the built-in skin and clock pictures.
    QtSkinAssets();
    QtSkinAssets(SkinPictures pictures, ClockPictures clock);

    // Tints the top and small button pictures and cuts their faces.
    bool ApplyButtonColour(std::uint32_t colour);
    // Tints the background; samples the strip and panel colours.
    bool ApplySkinColour(std::uint32_t colour);
    // Lets go of the background as decoded, where it can be decoded again:
    // the next ApplySkinColour does.
    void DropUntintedBackground();
    // Recolours the clock's face and digit strips.
    bool ApplyClockColours(std::uint32_t back, std::uint32_t digit);

    // Faces of the main row (Today … Info) and of the views' command buttons;
    // give them to a row with AssignRowFaces.
    const FacePixmaps& topFaces() const { return top_; }
    const FacePixmaps& smallFaces() const { return small_; }

    // The tinted background: the views' background picture and frame.
    const QImage& background() const { return background_; }
    QColor stripColour() const { return stripColour_; }
    QColor panelColour() const { return panelColour_; }

    // The recoloured clock pictures, for a new clock control.
    const QImage& clockFace() const { return clockFace_; }
    const QImage& clockLargeDigits() const { return clockLarge_; }
    const QImage& clockSmallDigits() const { return clockSmall_; }

    const Skin& skin() const { return skin_; }

private:
    Skin skin_;
    ClockPictures clockOriginal_;
    FacePixmaps top_, small_;
    QImage background_;
    QColor stripColour_ = Qt::white, panelColour_ = Qt::white;
    QImage clockFace_, clockLarge_, clockSmall_;
    // Decodes the untinted background again for a new colour; unset when
    // the pictures were given, which are then kept.
    std::function<Picture()> reloadBackground_;
    bool clockApplied_ = false;
    std::uint32_t clockBack_ = 0, clockDigit_ = 0;
};

}  // namespace veltrin
