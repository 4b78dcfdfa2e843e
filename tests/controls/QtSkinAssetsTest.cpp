#include <gtest/gtest.h>

#include "controls/CSkinButton.h"
#include "controls/CSkinPanel.h"
#include "controls/QtSkinAssets.h"
#include "imaging/QtPicture.h"
#include "imaging/QtSkinResources.h"

namespace veltrin {
namespace {

TEST(QtSkinAssets, BuiltInSkinAppliesAndFacesFitTheRows) {
    QtSkinAssets assets;
    EXPECT_TRUE(assets.ApplyButtonColour(0x00FFFFFF));
    EXPECT_TRUE(assets.ApplySkinColour(0x00FFFFFF));
    EXPECT_TRUE(assets.ApplyClockColours(0x00FFFFFF, 0x00000000));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(assets.topFaces().normal[i].size(), QSize(90, 73));
        EXPECT_EQ(assets.topFaces().hover[i].size(), QSize(90, 73));
        EXPECT_EQ(assets.smallFaces().normal[i].size(), QSize(100, 30));
    }
    EXPECT_EQ(assets.topFaces().selected.size(), QSize(90, 73));
    EXPECT_EQ(assets.smallFaces().selected.size(), QSize(100, 30));
    EXPECT_EQ(assets.background().size(), QSize(1024, 653));
    EXPECT_TRUE(assets.skin().background().isNull()) << "the tinted background is kept once, as a QImage";
    EXPECT_TRUE(assets.skin().topFaces().normal[0].isNull()) << "the faces are kept once, as pixmaps";
    EXPECT_TRUE(assets.skin().smallFaces().selected.isNull());
    EXPECT_EQ(assets.clockFace().size(), QSize(151, 72));
    EXPECT_EQ(assets.clockLargeDigits().size(), QSize(240, 34));
    EXPECT_EQ(assets.clockSmallDigits().size(), QSize(120, 17));

    // White shows a light version of the picture: one fifth over white.
    const QColor face = assets.topFaces().normal[0].toImage().pixelColor(45, 36);
    const Rgb source = assets.skin().pictures().topNormal.pixel(45, 73 - 1 - 36);
    EXPECT_EQ(face.red(), (source.r * 51 + 255 * 204) / 255);
    EXPECT_EQ(assets.stripColour(), ToQColor(assets.skin().stripColour()));
}

TEST(QtSkinAssets, OnlyChangedGroupsAreRedone) {
    QtSkinAssets assets;
    assets.ApplyButtonColour(0x00FFFFFF);
    assets.ApplySkinColour(0x00FFFFFF);
    assets.ApplyClockColours(0x00FFFFFF, 0);
    const PictureWorkCounts before = PictureWork();
    const qint64 faceKey = assets.topFaces().normal[1].cacheKey();
    EXPECT_FALSE(assets.ApplyButtonColour(0x00FFFFFF));
    EXPECT_FALSE(assets.ApplySkinColour(0x00FFFFFF));
    EXPECT_FALSE(assets.ApplyClockColours(0x00FFFFFF, 0));
    EXPECT_EQ(PictureWork().blends, before.blends);
    EXPECT_EQ(PictureWork().decodes, before.decodes);
    EXPECT_EQ(assets.topFaces().normal[1].cacheKey(), faceKey);

    EXPECT_TRUE(assets.ApplySkinColour(0x00000000));
    EXPECT_EQ(PictureWork().blends, before.blends + 1);
    EXPECT_EQ(PictureWork().decodes, before.decodes + 1);  // the background alone, not kept between tints
    EXPECT_EQ(assets.topFaces().normal[1].cacheKey(), faceKey);  // buttons untouched
    EXPECT_TRUE(assets.ApplyClockColours(0x00FFFFFF, 0x000000FF));
    EXPECT_EQ(PictureWork().blends, before.blends + 1);  // recolouring is no tint
    EXPECT_EQ(PictureWork().decodes, before.decodes + 1);
}

TEST(QtSkinAssets, TheBuiltInBackgroundIsKeptOnceAndTintedAgainFromTheResource) {
    QtSkinAssets assets;
    ASSERT_TRUE(assets.ApplySkinColour(0x00FFFFFF));
    EXPECT_TRUE(assets.skin().pictures().background.isNull()) << "decoded again for another colour";
    EXPECT_TRUE(assets.skin().background().isNull()) << "kept as the QImage the window draws";
    ASSERT_TRUE(assets.ApplySkinColour(0x00336699));
    QtSkinAssets fresh;
    ASSERT_TRUE(fresh.ApplySkinColour(0x00336699));
    EXPECT_EQ(assets.background(), fresh.background());
    EXPECT_EQ(assets.stripColour(), fresh.stripColour());
    EXPECT_EQ(assets.panelColour(), fresh.panelColour());

    // Pictures handed in are kept: there is nothing to decode them from.
    QtSkinAssets given(LoadSkinPictures(), LoadClockPictures());
    ASSERT_TRUE(given.ApplySkinColour(0x00FFFFFF));
    EXPECT_FALSE(given.skin().pictures().background.isNull());
}

TEST(QtSkinAssets, ClockColoursReplaceTheExactPixels) {
    QtSkinAssets assets;
    // A black background: unlit segments become (40, 40, 40); the face's
    // background black, its segments the digit colour.
    assets.ApplyClockColours(0x00000000, 0x00EA2864);  // digits (100, 40, 234)
    const QImage& strip = assets.clockLargeDigits();
    bool unlit = false, lit = false;
    for (int y = 0; y < strip.height(); ++y)
        for (int x = 0; x < strip.width(); ++x) {
            const QColor c = strip.pixelColor(x, y);
            unlit |= c == QColor(40, 40, 40);
            lit |= c == QColor(100, 40, 234);
            ASSERT_TRUE(c == QColor(40, 40, 40) || c == QColor(100, 40, 234) || c == QColor(0, 0, 0))
                << x << "," << y;
        }
    EXPECT_TRUE(unlit);
    EXPECT_TRUE(lit);
    EXPECT_EQ(assets.clockFace().pixelColor(0, 0), QColor(0, 0, 0));

    assets.ApplyClockColours(0x00FF0164, 0);  // background (100, 1, 255)
    bool dimmed = false;
    const QImage& small = assets.clockSmallDigits();
    for (int y = 0; y < small.height(); ++y)
        for (int x = 0; x < small.width(); ++x) dimmed |= small.pixelColor(x, y) == QColor(92, 40, 234);
    EXPECT_TRUE(dimmed);
}

TEST(SkinPanel, PaintsTheTintedBackgroundInsideTheSkinFrame) {
    QtSkinAssets assets;
    assets.ApplySkinColour(0x00000000);  // black: one fifth of the picture
    CSkinPanel panel;
    panel.resize(600, 300);
    panel.setSkin(assets.background());
    panel.setPanelColour(assets.panelColour());
    const QImage shown = panel.grab().toImage();
    // The frame's corner is the picture's corner.
    EXPECT_EQ(shown.pixelColor(0, 0), assets.background().pixelColor(0, 0));
    EXPECT_EQ(shown.pixelColor(599, 299), assets.background().pixelColor(1023, 652));
    // Inside, the background: dark, as black shows the picture at one fifth.
    const QColor inside = shown.pixelColor(300, 150);
    EXPECT_LE(inside.red(), 51);
    EXPECT_LE(inside.blue(), 51);

    CSkinPanel plain;
    plain.resize(50, 50);
    plain.setPanelColour(QColor(10, 200, 30));
    EXPECT_EQ(plain.grab().toImage().pixelColor(25, 25), QColor(10, 200, 30));
}

}  // namespace
}  // namespace veltrin
