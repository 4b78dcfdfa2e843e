#include "controls/QtSkinPainting.h"

#include <algorithm>

#include <QPainter>

#include "controls/CSkinButton.h"
#include "imaging/QtPicture.h"

namespace veltrin {

FacePixmaps ToFacePixmaps(const ButtonFaces& faces) {
    FacePixmaps out;
    for (int i = 0; i < 3; ++i) {
        out.normal[i] = ToPixmap(faces.normal[i]);
        out.hover[i] = ToPixmap(faces.hover[i]);
    }
    out.selected = ToPixmap(faces.selected);
    return out;
}

void AssignRowFaces(const std::vector<CSkinButton*>& row, const FacePixmaps& faces) {
    const int count = static_cast<int>(row.size());
    for (int i = 0; i < count; ++i) {
        if (!row[i]) continue;
        const int at = static_cast<int>(PositionInRow(i, count));
        row[i]->setBitmaps(faces.normal[at], faces.selected, faces.hover[at]);
    }
}

namespace {

bool frameable(const QImage& skin) {
    return skin.width() > 2 * kSkinFrameWidth && skin.height() > 2 * kSkinFrameWidth;
}

}  // namespace

void PaintSkinFrame(QPainter& p, const QImage& skin, const QRect& outer) {
    if (!frameable(skin) || outer.width() < 2 * kSkinFrameWidth || outer.height() < 2 * kSkinFrameWidth)
        return;
    const int f = kSkinFrameWidth, sw = skin.width(), sh = skin.height();
    const int l = outer.left(), t = outer.top(), r = outer.right() + 1, b = outer.bottom() + 1;
    // Corners as they are, edges stretched along their length.
    p.drawImage(QPoint(l, t), skin, QRect(0, 0, f, f));
    p.drawImage(QPoint(r - f, t), skin, QRect(sw - f, 0, f, f));
    p.drawImage(QPoint(l, b - f), skin, QRect(0, sh - f, f, f));
    p.drawImage(QPoint(r - f, b - f), skin, QRect(sw - f, sh - f, f, f));
    p.drawImage(QRect(l + f, t, r - l - 2 * f, f), skin, QRect(f, 0, sw - 2 * f, f));
    p.drawImage(QRect(l + f, b - f, r - l - 2 * f, f), skin, QRect(f, sh - f, sw - 2 * f, f));
    p.drawImage(QRect(l, t + f, f, b - t - 2 * f), skin, QRect(0, f, f, sh - 2 * f));
    p.drawImage(QRect(r - f, t + f, f, b - t - 2 * f), skin, QRect(sw - f, f, f, sh - 2 * f));
}

void PaintSkinBar(QPainter& p, const QImage& skin, const QRect& bar) {
    if (!frameable(skin) || bar.isEmpty()) return;
    const int f = kSkinFrameWidth;
    if (bar.width() >= bar.height()) {
        p.drawImage(bar, skin, QRect(f, 0, skin.width() - 2 * f, f));
    } else {
        p.drawImage(bar, skin, QRect(0, f, f, skin.height() - 2 * f));
    }
}

void PaintSkinBackground(QPainter& p, const QImage& skin, const QRect& area) {
    if (!frameable(skin) || area.isEmpty()) return;
    const int f = kSkinFrameWidth;
    const QRect inner(f, f, skin.width() - 2 * f, skin.height() - 2 * f);
    // Scaled to cover the area without distortion, keeping the picture's
    // lower edge (where its pattern lies) and cutting from the top.
    const double scale =
        std::max(1.0, std::max(double(area.width()) / inner.width(), double(area.height()) / inner.height()));
    const int w = std::min(inner.width(), int(area.width() / scale + 0.5));
    const int h = std::min(inner.height(), int(area.height() / scale + 0.5));
    const QRect source(inner.left(), inner.bottom() + 1 - h, w, h);
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(area, skin, source);
    p.restore();
}

}  // namespace veltrin
