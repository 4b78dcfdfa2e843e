#pragma once

#include <array>
#include <vector>

#include <QImage>
#include <QPixmap>

#include "imaging/Skin.h"

class QPainter;

namespace veltrin {

class CSkinButton;

// The faces of one button set as pixmaps, converted once for all buttons.
struct FacePixmaps {
    std::array<QPixmap, 3> normal;  // by FacePosition
    std::array<QPixmap, 3> hover;
    QPixmap selected;
};
FacePixmaps ToFacePixmaps(const ButtonFaces& faces);

// Gives each button of a row (left to right) the faces of its place: the
// first the left ones, the last the right ones, all others the middle ones;
// every button the selected face.
void AssignRowFaces(const std::vector<CSkinButton*>& row, const FacePixmaps& faces);

// The views' frame is cut from the skin picture's outer band.
inline constexpr int kSkinFrameWidth = 10;

// A frame band just inside outer, with the skin's corner pieces.
void PaintSkinFrame(QPainter& painter, const QImage& skin, const QRect& outer);
// One straight band of the frame: horizontal when wider than high, else
// vertical (for bars between a view's parts).
void PaintSkinBar(QPainter& painter, const QImage& skin, const QRect& bar);
// The skin picture inside its frame over area: at its own size when it is
// large enough, else scaled up evenly; the lower part is kept.
void PaintSkinBackground(QPainter& painter, const QImage& skin, const QRect& area);

}  // namespace veltrin
