#include "imaging/QtPicture.h"

#include <algorithm>

#include <QPainter>

namespace veltrin {

namespace {
QRect toQRect(const PixelRect& r) { return QRect(r.x, r.y, r.width, r.height); }
PixelRect toPixelRect(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }
}  // namespace

QImage ToQImage(const Picture& picture) {
    if (picture.isNull()) return {};
    const int w = picture.width(), h = picture.height();
    const bool alpha = picture.hasAlpha();
    QImage image(w, h, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const unsigned ceiling = picture.alphaCeiling();
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const std::uint8_t* src = picture.bits() + static_cast<std::size_t>(y) * w * 3;
        const std::uint8_t* a = alpha ? picture.alphaBits() + static_cast<std::size_t>(y) * w : nullptr;
        for (int x = 0; x < w; ++x, src += 3) {
            const unsigned av = a ? std::min(255u, a[x] * 255u / ceiling) : 255u;
            line[x] = qRgba(src[0], src[1], src[2], static_cast<int>(av));
        }
    }
    return image;
}

QPixmap ToPixmap(const Picture& picture) { return QPixmap::fromImage(ToQImage(picture)); }

Picture FromQImage(const QImage& image) {
    if (image.isNull()) return {};
    const bool alpha = image.hasAlphaChannel();
    const QImage argb = image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    Picture out(argb.width(), argb.height());
    if (out.isNull()) return out;
    if (alpha) out.addAlpha();
    const int h = argb.height();
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        std::uint8_t* dst = out.bits() + static_cast<std::size_t>(y) * argb.width() * 3;
        for (int x = 0; x < argb.width(); ++x, dst += 3) {
            dst[0] = static_cast<std::uint8_t>(qRed(line[x]));
            dst[1] = static_cast<std::uint8_t>(qGreen(line[x]));
            dst[2] = static_cast<std::uint8_t>(qBlue(line[x]));
            if (alpha && qAlpha(line[x]) != 255)
                out.setAlphaAt(x, h - 1 - y, static_cast<std::uint8_t>(qAlpha(line[x])));
        }
    }
    return out;
}

void DrawPicture(QPainter& painter, const QImage& image, const QPoint& pos, const QRect& clip) {
    const TilePiece piece = ClippedPiece(image.width(), image.height(), pos.x(), pos.y(), toPixelRect(clip));
    if (piece.source.empty()) return;
    painter.drawImage(QPoint(piece.targetX, piece.targetY), image, toQRect(piece.source));
}

void TilePicture(QPainter& painter, const QImage& image, const QRect& area) {
    for (const TilePiece& p : TilePieces(image.width(), image.height(), toPixelRect(area)))
        painter.drawImage(QPoint(p.targetX, p.targetY), image, toQRect(p.source));
}

}  // namespace veltrin
