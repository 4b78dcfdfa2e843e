// Saves what the X display shows as a PNG, for the screenshots taken by the
// end-to-end tests, and prints its mean grey level and how many colours it
// has, so a test can tell a drawn window from an empty screen.
// usage: grab_screen OUTPUT.png
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QSet>
#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: grab_screen OUTPUT.png\n");
        return 2;
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
    return 0;
}
