// Draws the program's built-in pictures and writes them into resources/:
// the skin (button rows, background, Today header), the notebook binding,
// the clock's palette pictures and the program and tray icons.
//
//   make_art <resources folder>
//
// Skin pictures are tinted to one fifth of their strength over the user's
// colours, so they are drawn with strong contrast. The clock pictures use
// exact colours only (no smoothing): the program recolours them pixel by
// pixel.
#include <cmath>
#include <cstdio>
#include <functional>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "imaging/Encode.h"
#include "imaging/QtPicture.h"
#include "imaging/Skin.h"

namespace {

using veltrin::Picture;

QString gOut;
bool gOk = true;

void writeBytes(const QString& relative, const std::vector<std::uint8_t>& bytes) {
    const QString path = gOut + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (bytes.empty() || !f.open(QIODevice::WriteOnly) ||
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size())) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        gOk = false;
    }
}

void writeJpeg(const QString& relative, const QImage& image) {
    writeBytes(relative, veltrin::EncodeJpeg(veltrin::FromQImage(image), 94));
}
void writeGif(const QString& relative, const QImage& image) {
    writeBytes(relative, veltrin::EncodeGif(veltrin::FromQImage(image)));
}
void writePng(const QString& relative, const QImage& image) {
    const QString path = gOut + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        gOk = false;
    }
}

QImage canvas(int w, int h, const QColor& fill) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

// The tone the window shows around the clock, and what lies outside the
// rounded ends of the button rows, so both meet without a seam.
const QColor kSurround(132, 146, 170);

// ---------------------------------------------------------------- buttons

enum class Face { Normal, Hover, Selected };

// One button row of `cells` faces. The first cell has a rounded left end,
// the last a rounded right end; every cell carries its own edge lines so
// that any face may stand next to any other.
QImage buttonRow(int cells, int cellWidth, int height, Face face) {
    const int w = cells * cellWidth;
    QImage image = canvas(w, height, kSurround);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal radius = height * 0.36;
    const bool rounded = face != Face::Selected;

    QPainterPath body;
    if (rounded) {
        body.addRoundedRect(QRectF(0.5, 0.5, w - 1.0, height - 1.0), radius, radius);
    } else {
        body.addRect(QRectF(0, 0, w, height));
    }

    // Body: glassy vertical gradient, darker when pressed.
    QLinearGradient g(0, 0, 0, height);
    switch (face) {
    case Face::Normal:
        g.setColorAt(0.0, QColor(250, 252, 255));
        g.setColorAt(0.46, QColor(196, 206, 224));
        g.setColorAt(0.54, QColor(150, 164, 190));
        g.setColorAt(1.0, QColor(205, 215, 232));
        break;
    case Face::Hover:
        g.setColorAt(0.0, QColor(255, 255, 255));
        g.setColorAt(0.46, QColor(232, 238, 250));
        g.setColorAt(0.54, QColor(200, 214, 238));
        g.setColorAt(1.0, QColor(248, 238, 205));
        break;
    case Face::Selected:
        g.setColorAt(0.0, QColor(70, 84, 110));
        g.setColorAt(0.25, QColor(120, 134, 160));
        g.setColorAt(1.0, QColor(188, 198, 218));
        break;
    }
    p.fillPath(body, g);

    // Gloss over the upper half.
    if (face != Face::Selected) {
        QPainterPath gloss;
        gloss.addRoundedRect(QRectF(3, 2, w - 6.0, height * 0.44), radius * 0.8, radius * 0.8);
        QLinearGradient gl(0, 2, 0, height * 0.46);
        gl.setColorAt(0, QColor(255, 255, 255, 200));
        gl.setColorAt(1, QColor(255, 255, 255, 40));
        p.fillPath(gloss, gl);
    }

    for (int c = 0; c < cells; ++c) {
        const qreal x0 = c * cellWidth;
        // A warm glow under each hovered face.
        if (face == Face::Hover) {
            QRadialGradient glow(QPointF(x0 + cellWidth / 2.0, height * 1.02), cellWidth * 0.62);
            glow.setColorAt(0, QColor(255, 226, 140, 230));
            glow.setColorAt(0.55, QColor(255, 236, 180, 110));
            glow.setColorAt(1, QColor(255, 255, 255, 0));
            p.save();
            p.setClipPath(body);
            p.fillRect(QRectF(x0, 0, cellWidth, height), glow);
            p.restore();
        }
        // Pressed: an inner shadow along the top and a lit line under it.
        if (face == Face::Selected) {
            QLinearGradient sh(0, 0, 0, height * 0.3);
            sh.setColorAt(0, QColor(20, 28, 44, 170));
            sh.setColorAt(1, QColor(20, 28, 44, 0));
            p.fillRect(QRectF(x0, 0, cellWidth, height * 0.3), sh);
            QRadialGradient glow(QPointF(x0 + cellWidth / 2.0, height), cellWidth * 0.55);
            glow.setColorAt(0, QColor(255, 255, 255, 150));
            glow.setColorAt(1, QColor(255, 255, 255, 0));
            p.fillRect(QRectF(x0, height * 0.5, cellWidth, height * 0.5), glow);
        }
        // Engraved edges: light on the left, dark on the right of each cell.
        p.save();
        p.setClipPath(body);
        p.setRenderHint(QPainter::Antialiasing, false);
        if (c > 0 || face == Face::Selected) {
            p.fillRect(QRectF(x0, 3, 1, height - 6), QColor(255, 255, 255, 220));
        }
        if (c < cells - 1 || face == Face::Selected) {
            p.fillRect(QRectF(x0 + cellWidth - 1, 3, 1, height - 6), QColor(60, 72, 96, 220));
        }
        p.restore();
    }

    // Outline.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(70, 82, 108), 1.0));
    if (rounded) {
        p.drawPath(body);
    } else {
        p.drawRect(QRectF(0.5, 0.5, w - 1.0, height - 1.0));
    }
    return image;
}

// ------------------------------------------------------------- background

// The frame of the views is cut from the background's outer 10 pixels: a
// raised bevel with quarter-circle corners. Its profile by distance from the
// outer edge fixes the two sampled colours (distance 9: the strip colour,
// distance 2: the panel colour).
QColor frameTone(int d) {
    static const QColor profile[10] = {QColor(78, 90, 116),   QColor(214, 222, 236),
                                       QColor(236, 240, 247), QColor(226, 232, 242),
                                       QColor(212, 220, 234), QColor(198, 208, 226),
                                       QColor(184, 196, 216), QColor(168, 180, 204),
                                       QColor(150, 164, 188), kSurround};
    return profile[std::max(0, std::min(9, d))];
}

void drawWaves(QPainter& p, int w, int h) {
    struct Wave {
        qreal base, amplitude, phase, thickness;
        QColor top, bottom;
    };
    const Wave waves[] = {
        {0.58, 0.08, 0.3, 0.22, QColor(255, 255, 255, 150), QColor(255, 255, 255, 0)},
        {0.70, 0.06, 1.7, 0.20, QColor(150, 176, 222, 120), QColor(150, 176, 222, 0)},
        {0.80, 0.07, 3.1, 0.25, QColor(255, 255, 255, 120), QColor(255, 255, 255, 0)},
        {0.88, 0.05, 4.4, 0.18, QColor(110, 140, 196, 110), QColor(110, 140, 196, 0)},
    };
    for (const Wave& wv : waves) {
        QPainterPath path;
        auto y = [&](qreal x) {
            return h * (wv.base + wv.amplitude * std::sin(x / w * 2.4 * M_PI + wv.phase) +
                        wv.amplitude * 0.4 * std::sin(x / w * 5.1 * M_PI + wv.phase * 1.7));
        };
        path.moveTo(0, y(0));
        for (int x = 8; x <= w; x += 8) path.lineTo(x, y(x));
        for (int x = w; x >= 0; x -= 8) path.lineTo(x, y(x) + h * wv.thickness);
        path.closeSubpath();
        QLinearGradient g(0, h * (wv.base - wv.amplitude), 0, h * (wv.base + wv.thickness + wv.amplitude));
        g.setColorAt(0, wv.top);
        g.setColorAt(1, wv.bottom);
        p.fillPath(path, g);
        // A fine bright crest along each wave.
        QPainterPath crest;
        crest.moveTo(0, y(0));
        for (int x = 8; x <= w; x += 8) crest.lineTo(x, y(x));
        p.setPen(QPen(QColor(255, 255, 255, 170), 1.4));
        p.drawPath(crest);
    }
}

QImage background() {
    const int w = 1024, h = 653;
    QImage image = canvas(w, h, Qt::white);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient base(0, 0, w * 0.35, h);
        base.setColorAt(0, QColor(246, 249, 255));
        base.setColorAt(0.55, QColor(206, 218, 238));
        base.setColorAt(1, QColor(150, 170, 206));
        p.fillRect(image.rect(), base);
        QRadialGradient light(QPointF(w * 0.2, h * 0.1), w * 0.55);
        light.setColorAt(0, QColor(255, 255, 255, 200));
        light.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillRect(image.rect(), light);
        drawWaves(p, w, h);
    }
    // The frame, pixel by pixel so its tones are exact.
    const int frame = 10;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int dx = std::min(x, w - 1 - x), dy = std::min(y, h - 1 - y);
            if (dx >= frame && dy >= frame) continue;
            int d;
            if (dx < frame && dy < frame) {
                const double cx = frame - 0.5 - dx, cy = frame - 0.5 - dy;
                const double r = std::sqrt(cx * cx + cy * cy);
                if (r > frame) {
                    image.setPixelColor(x, y, kSurround);
                    continue;
                }
                d = static_cast<int>(frame - r);
            } else {
                d = std::min(dx, dy);
            }
            image.setPixelColor(x, y, frameTone(d));
        }
    }
    return image;
}

// ---------------------------------------------------------- Today header

QImage todayHeader() {
    const int w = 1024, h = 160;
    QImage image = canvas(w, h, Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor(120, 170, 226));
    sky.setColorAt(0.55, QColor(196, 222, 244));
    sky.setColorAt(1, QColor(255, 234, 196));
    p.fillRect(image.rect(), sky);
    // Morning sun low on the right.
    QRadialGradient sun(QPointF(w * 0.8, h * 0.72), h * 1.1);
    sun.setColorAt(0, QColor(255, 246, 200, 255));
    sun.setColorAt(0.12, QColor(255, 232, 160, 230));
    sun.setColorAt(0.5, QColor(255, 214, 150, 60));
    sun.setColorAt(1, QColor(255, 214, 150, 0));
    p.fillRect(image.rect(), sun);
    // Soft clouds of a few puffs each, placed by a fixed sequence so the
    // picture is the same on every run; each is drawn again one width to
    // either side, so the picture tiles without a seam.
    auto periodic = [](qreal x, qreal period, qreal phase) {
        return std::sin(x / period * 2 * M_PI + phase);
    };
    unsigned seed = 20260207;
    auto next = [&seed](qreal lo, qreal hi) {
        seed = seed * 1103515245u + 12345u;
        return lo + (hi - lo) * ((seed >> 8) & 0xFFFF) / 65535.0;
    };
    p.setPen(Qt::NoPen);
    for (int cloud = 0; cloud < 9; ++cloud) {
        const qreal cx = next(0, w), cy = next(h * 0.12, h * 0.42);
        const qreal size = next(0.7, 1.5);
        const int alpha = static_cast<int>(next(110, 190));
        const int puffs = static_cast<int>(next(4, 8));
        for (int k = 0; k < puffs; ++k) {
            const qreal px = cx + next(-38, 38) * size, py = cy + next(-7, 6) * size;
            const qreal rx = next(16, 30) * size, ry = rx * next(0.55, 0.75);
            for (int shift : {-w, 0, w}) {
                QRadialGradient puff(QPointF(px + shift, py), rx);
                puff.setColorAt(0, QColor(255, 255, 255, alpha));
                puff.setColorAt(0.6, QColor(255, 255, 255, alpha / 2));
                puff.setColorAt(1, QColor(255, 255, 255, 0));
                p.setBrush(puff);
                p.drawEllipse(QPointF(px + shift, py), rx, ry);
            }
        }
    }
    // Rolling hills, far to near.
    struct Hill {
        qreal level, a1, a2, phase;
        QColor top, bottom;
    };
    const Hill hills[] = {
        {0.70, 10, 5, 0.4, QColor(150, 182, 200), QColor(170, 196, 204)},
        {0.80, 9, 6, 2.1, QColor(118, 168, 142), QColor(140, 184, 150)},
        {0.90, 7, 4, 4.0, QColor(86, 146, 104), QColor(110, 160, 110)},
    };
    for (const Hill& hl : hills) {
        QPainterPath path;
        auto y = [&](qreal x) {
            return h * hl.level - hl.a1 * periodic(x, w / 2.0, hl.phase) -
                   hl.a2 * periodic(x, w / 8.0, hl.phase * 2);
        };
        path.moveTo(0, h);
        for (int x = 0; x <= w; x += 4) path.lineTo(x, y(x));
        path.lineTo(w, h);
        path.closeSubpath();
        QLinearGradient g(0, h * hl.level - 20, 0, h);
        g.setColorAt(0, hl.top);
        g.setColorAt(1, hl.bottom);
        p.fillPath(path, g);
    }
    return image;
}

// ------------------------------------------------------ notebook binding

const QColor kCover(38, 66, 120);
const QColor kPage(252, 252, 248);

// The strip left of the editor: cover, page edge with a punched hole and a
// silver ring reaching through it.
QImage bindingLeft() {
    const int w = 30, h = 24;
    QImage image = canvas(w, h, kCover);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient cover(0, 0, w, 0);
    cover.setColorAt(0, kCover.darker(135));
    cover.setColorAt(0.7, kCover);
    p.fillRect(QRectF(0, 0, 21, h), cover);
    // The page edge, shaded where it meets the cover.
    QLinearGradient page(21, 0, w, 0);
    page.setColorAt(0, QColor(196, 198, 200));
    page.setColorAt(0.35, kPage);
    p.fillRect(QRectF(21, 0, w - 21, h), page);
    // The hole in the page.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 64, 72));
    p.drawEllipse(QPointF(25.5, 12), 2.6, 2.6);
    // One turn of the wire: from the hole over the page's edge and round
    // the spine, with its shadow on the cover.
    QPainterPath ring;
    ring.moveTo(25.5, 12);
    ring.quadTo(14, 3.5, 3.5, 9.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 0, 100), 3.4, Qt::SolidLine, Qt::RoundCap));
    p.translate(0.8, 2.2);
    p.drawPath(ring);
    p.translate(-0.8, -2.2);
    QLinearGradient metal(0, 5, 0, 13);
    metal.setColorAt(0, QColor(252, 252, 254));
    metal.setColorAt(0.5, QColor(178, 184, 194));
    metal.setColorAt(1, QColor(100, 106, 118));
    p.setPen(QPen(QBrush(metal), 3.2, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(ring);
    p.setPen(QPen(QColor(255, 255, 255, 210), 0.9, Qt::SolidLine, Qt::RoundCap));
    QPainterPath shine;
    shine.moveTo(20, 8.6);
    shine.quadTo(14, 5.6, 8, 7.6);
    p.drawPath(shine);
    return image;
}

// The strip above the editor: the same binding turned to run along the top.
QImage bindingTop() {
    QTransform turn;
    turn.rotate(90);
    return bindingLeft().transformed(turn).mirrored(true, false);
}

// The square above-left of the editor: the cover's corner and the page's.
QImage bindingCorner() {
    const int s = 30;
    QImage image = canvas(s, s, kCover);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient cover(0, 0, s, s);
    cover.setColorAt(0, kCover.darker(135));
    cover.setColorAt(0.8, kCover);
    p.fillRect(image.rect(), cover);
    QRadialGradient page(QPointF(s, s), 9);
    page.setColorAt(0, kPage);
    page.setColorAt(0.6, kPage);
    page.setColorAt(1, QColor(196, 198, 200));
    p.fillRect(QRectF(21, 21, 9, 9), page);
    return image;
}

// ------------------------------------------------------------------ clock

using veltrin::kClockBack;
using veltrin::kClockDigit;
using veltrin::kClockUnlit;

// Segments a to g of the digits 0–9, bit 0 = a.
const int kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

// Draws one seven-segment digit into cell without smoothing; a null `unlit`
// leaves the segments that are off undrawn.
void drawDigit(QPainter& p, const QRectF& cell, int digit, const QColor& lit, const QColor* unlit) {
    const bool large = cell.height() > 20;
    const qreal t = large ? 4 : 2;      // segment thickness
    const qreal gap = large ? 1 : 0.5;  // between neighbouring segments
    const qreal x0 = cell.left() + (large ? 2 : 1), x1 = cell.right() + 1 - (large ? 2 : 1);
    const qreal y0 = cell.top() + 1, y1 = cell.bottom() + 1 - 1;
    const qreal ym = (y0 + y1) / 2;
    auto horizontal = [&](qreal yc) {
        const qreal a = x0 + gap, b = x1 - gap;
        return QPolygonF({{a, yc},
                          {a + t / 2, yc - t / 2},
                          {b - t / 2, yc - t / 2},
                          {b, yc},
                          {b - t / 2, yc + t / 2},
                          {a + t / 2, yc + t / 2}});
    };
    auto vertical = [&](qreal xc, qreal ya, qreal yb) {
        ya += gap;
        yb -= gap;
        return QPolygonF({{xc, ya},
                          {xc + t / 2, ya + t / 2},
                          {xc + t / 2, yb - t / 2},
                          {xc, yb},
                          {xc - t / 2, yb - t / 2},
                          {xc - t / 2, ya + t / 2}});
    };
    const QPolygonF segments[7] = {
        horizontal(y0 + t / 2),                // a
        vertical(x1 - t / 2, y0 + t / 2, ym),  // b
        vertical(x1 - t / 2, ym, y1 - t / 2),  // c
        horizontal(y1 - t / 2),                // d
        vertical(x0 + t / 2, ym, y1 - t / 2),  // e
        vertical(x0 + t / 2, y0 + t / 2, ym),  // f
        horizontal(ym),                        // g
    };
    p.setPen(Qt::NoPen);
    for (int s = 0; s < 7; ++s) {
        const bool on = kSegments[digit] & (1 << s);
        if (!on && !unlit) continue;
        p.setBrush(on ? lit : *unlit);
        p.drawPolygon(segments[s]);
    }
}

QImage digitStrip(int cellW, int cellH) {
    QImage image = canvas(cellW * 10, cellH, veltrin::ToQColor(kClockBack));
    QPainter p(&image);
    const QColor unlit = veltrin::ToQColor(kClockUnlit);
    for (int d = 0; d < 10; ++d) drawDigit(p, QRectF(d * cellW, 0, cellW, cellH), d, Qt::black, &unlit);
    return image;
}

QImage clockFace() {
    QImage image = canvas(151, 72, veltrin::ToQColor(kClockBack));
    QPainter p(&image);
    const QColor black = veltrin::ToQColor(kClockDigit);
    for (int x : {5, 19, 41, 55, 77, 91, 105, 119}) drawDigit(p, QRectF(x, 5, 12, 17), 8, black, nullptr);
    for (int x : {5, 32, 65, 92}) drawDigit(p, QRectF(x, 33, 24, 34), 8, black, nullptr);
    for (int x : {120, 134}) drawDigit(p, QRectF(x, 50, 12, 17), 8, black, nullptr);
    // The dashes of the date and the colon of the time.
    p.fillRect(QRect(33, 12, 6, 2), black);
    p.fillRect(QRect(69, 12, 6, 2), black);
    p.fillRect(QRect(59, 41, 3, 3), black);
    p.fillRect(QRect(59, 56, 3, 3), black);
    return image;
}

// ------------------------------------------------------------------ icons

// The program's icon: a blue tile holding a calendar page with rings and a
// small clock. `simple` leaves out the details that vanish at tray size.
QImage programIcon(int size, bool simple) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    // Tile.
    QLinearGradient tile(0, 0, 0, 64);
    tile.setColorAt(0, QColor(86, 150, 230));
    tile.setColorAt(1, QColor(34, 78, 160));
    p.setPen(QPen(QColor(24, 52, 110), 1.2));
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    // Calendar page.
    const QRectF page(12, 14, 40, 38);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRoundedRect(page.translated(1.5, 2), 5, 5);
    p.setBrush(QColor(252, 252, 250));
    p.drawRoundedRect(page, 5, 5);
    QPainterPath band;
    band.addRoundedRect(QRectF(page.left(), page.top(), page.width(), 12), 5, 5);
    band.addRect(QRectF(page.left(), page.top() + 6, page.width(), 6));
    QLinearGradient red(0, page.top(), 0, page.top() + 12);
    red.setColorAt(0, QColor(238, 92, 72));
    red.setColorAt(1, QColor(196, 46, 36));
    p.fillPath(band.simplified(), red);
    // Rings.
    p.setPen(QPen(QColor(220, 224, 232), 2.6, Qt::SolidLine, Qt::RoundCap));
    for (qreal x : {21.0, 32.0, 43.0}) p.drawLine(QPointF(x, 10), QPointF(x, 17));
    // Day grid.
    if (!simple) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(150, 160, 180));
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 5; ++c) p.drawRect(QRectF(16 + c * 7, 30 + r * 6.5, 4, 3.5));
        p.setBrush(QColor(220, 70, 56));
        p.drawRect(QRectF(16 + 2 * 7, 30 + 6.5, 4, 3.5));
    } else {
        p.setPen(QPen(QColor(120, 132, 156), 3));
        p.drawLine(QPointF(18, 33), QPointF(46, 33));
        p.drawLine(QPointF(18, 41), QPointF(38, 41));
    }
    // Clock badge.
    const QPointF c(46, 46);
    const qreal r = simple ? 12 : 13;
    QRadialGradient face(c - QPointF(3, 3), r * 1.4);
    face.setColorAt(0, QColor(255, 250, 226));
    face.setColorAt(1, QColor(242, 214, 130));
    p.setPen(QPen(QColor(150, 100, 20), 1.6));
    p.setBrush(face);
    p.drawEllipse(c, r, r);
    p.setPen(QPen(QColor(60, 44, 20), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(0, -r * 0.62));
    p.drawLine(c, c + QPointF(r * 0.5, r * 0.12));
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_art RESOURCES_FOLDER\n");
        return 2;
    }
    gOut = QString::fromLocal8Bit(argv[1]);

    writeJpeg("skin/top_normal.jpg", buttonRow(3, 90, 73, Face::Normal));
    writeJpeg("skin/top_hover.jpg", buttonRow(3, 90, 73, Face::Hover));
    writeJpeg("skin/top_selected.jpg", buttonRow(1, 90, 73, Face::Selected));
    writeJpeg("skin/small_normal.jpg", buttonRow(3, 100, 30, Face::Normal));
    writeJpeg("skin/small_hover.jpg", buttonRow(3, 100, 30, Face::Hover));
    writeJpeg("skin/small_selected.jpg", buttonRow(1, 100, 30, Face::Selected));
    writeJpeg("skin/background.jpg", background());
    writeJpeg("skin/today_head.jpg", todayHeader());

    writeGif("binding/binding_left.gif", bindingLeft());
    writeGif("binding/binding_corner.gif", bindingCorner());
    writeGif("binding/binding_top.gif", bindingTop());

    writeGif("clock/face.gif", clockFace());
    writeGif("clock/digits_large.gif", digitStrip(24, 34));
    writeGif("clock/digits_small.gif", digitStrip(12, 17));

    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        writePng(QStringLiteral("icons/veltrin-%1.png").arg(size), programIcon(size, size < 32));
    for (int size : {16, 22, 24, 32, 48})
        writePng(QStringLiteral("icons/tray-%1.png").arg(size), programIcon(size, true));
    return gOk ? 0 : 1;
}
