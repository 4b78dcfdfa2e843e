#include <set>

#include <QPainter>
#include <gtest/gtest.h>

#include "imaging/QtPicture.h"
#include "imaging/QtSkinResources.h"

namespace veltrin {
namespace {

std::set<std::uint32_t> ColoursOf(const Picture& p) {
    std::set<std::uint32_t> colours;
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x) colours.insert(ColourFromRgb(p.pixel(x, y)));
    return colours;
}

TEST(SkinResources, SkinPicturesDecodeAtTheirSizesWithFullAlpha) {
    const SkinPictures s = LoadSkinPictures();
    for (const SkinPictureSize& size : kSkinPictureSizes) {
        const Picture& p = s.*size.picture;
        EXPECT_EQ(p.width(), size.width);
        EXPECT_EQ(p.height(), size.height);
        EXPECT_TRUE(p.hasAlpha());
        EXPECT_EQ(p.alphaAt(size.width / 2, size.height / 2), 255);
        EXPECT_EQ(p.alphaCeiling(), 255);
    }
}

TEST(SkinResources, OtherPicturesAndIconsArePresent) {
    EXPECT_FALSE(LoadResourcePicture("IDR_TODAY_HEAD_JPG", "JPG").isNull());
    for (const char* name : {"IDR_BINDING1_GIF", "IDR_BINDING2_GIF", "IDR_BINDING3_GIF"}) {
        const Picture p = LoadResourcePicture(name, "GIF");
        EXPECT_FALSE(p.isNull()) << name;
        EXPECT_TRUE(p.width() == 30 || p.height() == 30) << name;
    }
    EXPECT_TRUE(LoadResourcePicture("IDR_NOTHING_JPG", "JPG").isNull());
    EXPECT_TRUE(LoadResourcePicture("IDR_TODAY_HEAD_JPG", "GIF").isNull());  // wrong decoder
    EXPECT_TRUE(LoadResourcePicture("IDR_TODAY_HEAD_JPG", "PNG").isNull());
}

// The icons read their files on first use; every size must still be there,
// each picture drawn at its own size, and a disabled form made from them.
TEST(SkinResources, IconsOfferEverySizeTheyHold) {
    const QIcon app = ApplicationIcon();
    EXPECT_FALSE(app.isNull());
    EXPECT_EQ(
        app.availableSizes(),
        (QList<QSize>{{16, 16}, {22, 22}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}}));
    EXPECT_EQ(app.pixmap(48, 48).size(), QSize(48, 48));
    EXPECT_EQ(app.pixmap(256, 256).size(), QSize(256, 256));
    const QImage normal = app.pixmap(32, 32).toImage(),
                 disabled = app.pixmap(32, 32, QIcon::Disabled).toImage();
    EXPECT_EQ(disabled.size(), QSize(32, 32));
    EXPECT_NE(disabled, normal);
    const QIcon tray = TrayIcon();
    EXPECT_FALSE(tray.isNull());
    EXPECT_FALSE(tray.pixmap(16, 16).isNull());
    EXPECT_EQ(tray.availableSizes().size(), 5);
}

TEST(SkinResources, ClockPicturesUseOnlyTheirExactColours) {
    const ClockPictures c = LoadClockPictures();
    ASSERT_EQ(c.face.width(), 151);
    ASSERT_EQ(c.face.height(), 72);
    ASSERT_EQ(c.largeDigits.width(), 240);
    ASSERT_EQ(c.largeDigits.height(), 34);
    ASSERT_EQ(c.smallDigits.width(), 120);
    ASSERT_EQ(c.smallDigits.height(), 17);
    const std::set<std::uint32_t> face = {ColourFromRgb(kClockBack), ColourFromRgb(kClockDigit)};
    const std::set<std::uint32_t> strip = {ColourFromRgb(kClockBack), ColourFromRgb(kClockDigit),
                                           ColourFromRgb(kClockUnlit)};
    EXPECT_EQ(ColoursOf(c.face), face);
    EXPECT_EQ(ColoursOf(c.largeDigits), strip);
    EXPECT_EQ(ColoursOf(c.smallDigits), strip);
    // The face's corner is background; the digit 8 of a cell has lit pixels
    // and the digit 1 unlit ones.
    EXPECT_EQ(c.face.pixel(0, 0), kClockBack);
    const std::set<std::uint32_t> one = ColoursOf(c.largeDigits.columns(24, 48));
    EXPECT_TRUE(one.count(ColourFromRgb(kClockUnlit)));
    EXPECT_FALSE(ColoursOf(c.largeDigits.columns(192, 216)).count(ColourFromRgb(kClockUnlit)));
}

TEST(SkinResources, DefaultSkinSamplesAreTheFrameTones) {
    Skin skin(LoadSkinPictures());
    skin.ApplySkinColour(0x00FFFFFF);
    // White shows the picture at one fifth: every channel is 204 or more.
    for (Rgb c : {skin.stripColour(), skin.panelColour()}) {
        EXPECT_GE(c.r, 204);
        EXPECT_GE(c.g, 204);
        EXPECT_GE(c.b, 204);
    }
    // The panels are lighter than the strip around the clock.
    EXPECT_GT(skin.panelColour().r, skin.stripColour().r);
}

TEST(QtPicture, ConversionsKeepPixelsAndAlpha) {
    Picture p(5, 3, {10, 20, 30});
    p.setPixel(4, 0, {200, 150, 100});
    const QImage opaque = ToQImage(p);
    EXPECT_FALSE(opaque.hasAlphaChannel());
    EXPECT_EQ(opaque.pixelColor(4, 2), QColor(200, 150, 100));  // bottom row
    EXPECT_EQ(FromQImage(opaque), p);

    p.setAllAlpha(64, 128);
    const QImage translucent = ToQImage(p);
    EXPECT_TRUE(translucent.hasAlphaChannel());
    EXPECT_EQ(translucent.pixelColor(0, 0).alpha(), 127);  // scaled by the ceiling
    const Picture back = FromQImage(translucent);
    EXPECT_EQ(back.alphaAt(0, 0), 127);
    EXPECT_EQ(back.pixel(4, 0), (Rgb{200, 150, 100}));

    EXPECT_TRUE(ToQImage(Picture()).isNull());
    EXPECT_TRUE(FromQImage(QImage()).isNull());
}

TEST(QtPicture, DrawingClipsAndTilingCutsTheLastPieces) {
    QImage tile(4, 3, QImage::Format_RGB32);
    tile.fill(Qt::red);
    tile.setPixelColor(0, 0, Qt::blue);
    QImage target(20, 10, QImage::Format_RGB32);
    target.fill(Qt::white);
    {
        QPainter painter(&target);
        TilePicture(painter, tile, QRect(1, 1, 10, 7));
    }
    EXPECT_EQ(target.pixelColor(1, 1), QColor(Qt::blue));
    EXPECT_EQ(target.pixelColor(5, 4), QColor(Qt::blue));
    EXPECT_EQ(target.pixelColor(10, 7), QColor(Qt::red));
    EXPECT_EQ(target.pixelColor(11, 7), QColor(Qt::white));
    EXPECT_EQ(target.pixelColor(10, 8), QColor(Qt::white));

    target.fill(Qt::white);
    {
        QPainter painter(&target);
        DrawPicture(painter, tile, QPoint(15, 5), QRect(0, 0, 17, 7));
    }
    EXPECT_EQ(target.pixelColor(15, 5), QColor(Qt::blue));
    EXPECT_EQ(target.pixelColor(16, 6), QColor(Qt::red));
    EXPECT_EQ(target.pixelColor(17, 5), QColor(Qt::white));
    EXPECT_EQ(target.pixelColor(15, 7), QColor(Qt::white));
}

}  // namespace
}  // namespace veltrin
