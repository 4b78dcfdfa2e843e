// Saves what the X display shows as a PNG, for the screenshots taken by the
// end-to-end tests, and prints its mean grey level and how many colours it
// has, so a test can tell a drawn window from an empty screen. For each
// rectangle given after the file it prints a line with the rectangle's
// background (its most frequent colour) and how well the rest stands out
// from it, so a test can tell readable text from text lost on its ground.
// usage: grab_screen OUTPUT.png [X,Y,WIDTH,HEIGHT ...]
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QSet>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "base/ColourContrast.h"

namespace {

veltrin::Colour ColourOf(QRgb c) {
    return static_cast<veltrin::Colour>(qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16));
}

// The background of the area and the contrast against it that the inkiest
// 2 % of its pixels reach: glyphs are thin, and one stray pixel must not count.
void PrintArea(const QImage& shot, const QRect& wanted) {
    const QRect r = wanted.intersected(shot.rect());
    QHash<QRgb, int> counts;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) ++counts[shot.pixel(x, y)];
    QRgb back = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            back = it.key();
        }
    std::vector<double> contrast;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            contrast.push_back(veltrin::ContrastRatio(ColourOf(shot.pixel(x, y)), ColourOf(back)));
    double ink = 1;
    if (!contrast.empty()) {
        const auto at = contrast.begin() + static_cast<long>(contrast.size() * 98 / 100);
        std::nth_element(contrast.begin(), at, contrast.end());
        ink = *at;
    }
    std::printf("area=%d,%d,%d,%d back=%02x%02x%02x grey=%d contrast=%.2f\n", wanted.x(), wanted.y(),
                wanted.width(), wanted.height(), qRed(back), qGreen(back), qBlue(back), qGray(back), ink);
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: grab_screen OUTPUT.png [X,Y,WIDTH,HEIGHT ...]\n");
        return 2;
    }
    std::vector<QRect> areas;
    for (int i = 2; i < argc; ++i) {
        int x = 0, y = 0, w = 0, h = 0;
        if (std::sscanf(argv[i], "%d,%d,%d,%d", &x, &y, &w, &h) != 4 || w <= 0 || h <= 0) {
            std::fprintf(stderr, "not an area: %s\n", argv[i]);
            return 2;
        }
        areas.emplace_back(x, y, w, h);
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return 1;
    const QImage shot = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    if (shot.isNull() || !shot.save(QString::fromLocal8Bit(argv[1]), "PNG")) return 1;
    double grey = 0;
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QRgb c = shot.pixel(x, y);
            grey += qGray(c);
            if (colours.size() < 100000) colours.insert(c);
        }
    std::printf("mean=%.1f colours=%lld\n", grey / (shot.width() * shot.height()),
                static_cast<long long>(colours.size()));
    for (const QRect& area : areas) PrintArea(shot, area);
    return 0;
}
