#pragma once

#include <QImage>
#include <QPixmap>
#include <QRect>

#include "imaging/Picture.h"

class QPainter;

namespace veltrin {

// Conversions between the image layer's pictures and Qt's images. A picture
// with alpha becomes an ARGB image (alpha scaled by its ceiling); one
// without, an opaque RGB32 image. An empty picture gives a null image.
QImage ToQImage(const Picture& picture);
QPixmap ToPixmap(const Picture& picture);
// Keeps 24-bit colour; the alpha channel comes along only when the image
// has one.
Picture FromQImage(const QImage& image);

inline QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }
inline Rgb FromQColor(const QColor& c) {
    return {static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
            static_cast<std::uint8_t>(c.blue())};
}
// A stored colour value 0x00BBGGRR as a Qt colour.
inline QColor QColorFromColour(std::uint32_t colour) { return ToQColor(RgbFromColour(colour)); }

// Draws the image at its own size at pos, keeping only what lies in clip.
void DrawPicture(QPainter& painter, const QImage& image, const QPoint& pos, const QRect& clip);
// Tiles the image over area from its top-left corner, row by row, cutting
// the last column and row at the edges.
void TilePicture(QPainter& painter, const QImage& image, const QRect& area);

}  // namespace veltrin
