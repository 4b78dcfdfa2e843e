#include <algorithm>

#include <gtest/gtest.h>

#include "imaging/Skin.h"

namespace veltrin {
namespace {

// A picture with a different grey in every column, full alpha as at load.
Picture Ramp(int w, int h) {
    Picture p(w, h);
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y) {
            const auto v = static_cast<std::uint8_t>((x * 255) / std::max(1, w - 1));
            p.setPixel(x, y, {v, static_cast<std::uint8_t>(255 - v), static_cast<std::uint8_t>(y)});
        }
    p.addAlpha();
    return p;
}

SkinPictures RampSkin() {
    SkinPictures s;
    for (const SkinPictureSize& size : kSkinPictureSizes) s.*size.picture = Ramp(size.width, size.height);
    return s;
}

TEST(Skin, WhiteButtonColourGivesALightVersionOfThePicture) {
    Skin skin(RampSkin());
    ASSERT_TRUE(skin.ApplyButtonColour(0x00FFFFFF));
    const Picture& top = skin.pictures().topNormal;
    const Picture& left = skin.topFaces().normal[static_cast<int>(FacePosition::Left)];
    for (int x : {0, 17, 89}) {
        const Rgb p = top.pixel(x, 40);
        const Rgb f = left.pixel(x, 40);
        EXPECT_EQ(f.r, (p.r * 51 + 255 * 204) / 255);
        EXPECT_EQ(f.g, (p.g * 51 + 255 * 204) / 255);
        EXPECT_EQ(f.b, (p.b * 51 + 255 * 204) / 255);
    }
    // Black is 204 at least, never brighter than white.
    EXPECT_EQ(left.pixel(0, 0).r, 204);
    EXPECT_EQ(left.pixel(0, 0).g, 255);
}

TEST(Skin, BlackButtonColourGivesOneFifthOfThePicture) {
    Skin skin(RampSkin());
    skin.ApplyButtonColour(0x00000000);
    const Picture& top = skin.pictures().topNormal;
    const Picture& right = skin.topFaces().normal[static_cast<int>(FacePosition::Right)];
    for (int x : {0, 45, 89}) {
        const Rgb p = top.pixel(180 + x, 10);
        const Rgb f = right.pixel(x, 10);
        EXPECT_EQ(f.r, p.r * 51 / 255);
        EXPECT_EQ(f.g, p.g * 51 / 255);
        EXPECT_EQ(f.b, p.b * 51 / 255);
    }
    EXPECT_EQ(right.pixel(89, 0).r, 51);  // 255 / 5
}

TEST(Skin, TintingLeavesTheSourcePictureUntouched) {
    const Picture p = Ramp(20, 5);
    const Picture tinted = TintPicture(p, {10, 20, 30});
    EXPECT_TRUE(p.hasAlpha());
    EXPECT_EQ(p.alphaAt(3, 3), 255);
    EXPECT_FALSE(tinted.hasAlpha());
    EXPECT_NE(tinted.pixel(19, 0), p.pixel(19, 0));
}

TEST(Skin, FacesAreCutInThirdsAndTheSelectedPictureIsWhole) {
    Skin skin(RampSkin());
    skin.ApplyButtonColour(0x00C08040);
    for (const ButtonFaces* faces : {&skin.topFaces(), &skin.smallFaces()}) {
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(faces->normal[i].width(), faces == &skin.topFaces() ? 90 : 100);
            EXPECT_EQ(faces->hover[i].width(), faces->normal[i].width());
        }
    }
    EXPECT_EQ(skin.topFaces().normal[0].height(), 73);
    EXPECT_EQ(skin.smallFaces().hover[2].height(), 30);
    EXPECT_EQ(skin.topFaces().selected.width(), 90);
    EXPECT_EQ(skin.smallFaces().selected.width(), 100);

    // The middle face starts at column w/3 of the tinted picture.
    const Picture tinted = TintPicture(skin.pictures().smallHover, RgbFromColour(0x00C08040));
    EXPECT_EQ(skin.smallFaces().hover[1].pixel(0, 3), tinted.pixel(100, 3));
    EXPECT_EQ(skin.smallFaces().hover[2].pixel(99, 3), tinted.pixel(299, 3));
}

TEST(Skin, UnevenWidthsGiveTheRemainderToTheRightFace) {
    const Picture p = Ramp(100, 2);
    const ButtonFaces f = CutButtonFaces(p, p, p);
    EXPECT_EQ(f.normal[0].width(), 33);
    EXPECT_EQ(f.normal[1].width(), 33);
    EXPECT_EQ(f.normal[2].width(), 34);
    EXPECT_EQ(f.normal[2].pixel(0, 0), p.pixel(66, 0));
}

TEST(Skin, RowPositions) {
    EXPECT_EQ(PositionInRow(0, 7), FacePosition::Left);
    for (int i = 1; i < 6; ++i) EXPECT_EQ(PositionInRow(i, 7), FacePosition::Middle);
    EXPECT_EQ(PositionInRow(6, 7), FacePosition::Right);
    EXPECT_EQ(PositionInRow(0, 1), FacePosition::Left);
}

TEST(Skin, ColoursAreSampledFromTheTintedBackground) {
    SkinPictures pictures = RampSkin();
    pictures.background.setPixel(10, 9, {40, 80, 120});
    pictures.background.setPixel(10, 2, {250, 0, 10});
    Skin skin(std::move(pictures));
    ASSERT_TRUE(skin.ApplySkinColour(0x00FFFFFF));
    EXPECT_EQ(skin.stripColour(),
              (Rgb{(40 * 51 + 255 * 204) / 255, (80 * 51 + 255 * 204) / 255, (120 * 51 + 255 * 204) / 255}));
    EXPECT_EQ(skin.panelColour(), (Rgb{(250 * 51 + 255 * 204) / 255, 204, (10 * 51 + 255 * 204) / 255}));
    EXPECT_EQ(skin.background().width(), 1024);
    EXPECT_EQ(skin.background().height(), 653);
    EXPECT_FALSE(skin.background().hasAlpha());
}

TEST(Skin, EachGroupIsRedoneOnlyWhenItsColourChanges) {
    Skin skin(RampSkin());
    const long before = PictureWork().blends;
    EXPECT_TRUE(skin.ApplyButtonColour(0x00FFFFFF));
    EXPECT_EQ(PictureWork().blends - before, 6);  // three top and three small pictures
    EXPECT_TRUE(skin.ApplySkinColour(0x00FFFFFF));
    EXPECT_EQ(PictureWork().blends - before, 7);

    EXPECT_FALSE(skin.ApplyButtonColour(0x00FFFFFF));
    EXPECT_FALSE(skin.ApplySkinColour(0x00FFFFFF));
    EXPECT_EQ(PictureWork().blends - before, 7);

    EXPECT_TRUE(skin.ApplySkinColour(0x00000000));
    EXPECT_EQ(PictureWork().blends - before, 8);
    EXPECT_EQ(skin.background().pixel(0, 0), TintPicture(skin.pictures().background, {}).pixel(0, 0));
}

TEST(Skin, TheTintedBackgroundCanBeHandedOverAndIsMadeAgainForANewColour) {
    Skin skin(RampSkin());
    ASSERT_TRUE(skin.ApplySkinColour(0x00FFFFFF));
    const Rgb strip = skin.stripColour();
    const Picture taken = skin.takeBackground();
    EXPECT_EQ(taken.width(), 1024);
    EXPECT_EQ(taken.pixel(0, 0), TintPicture(skin.pictures().background, {255, 255, 255}).pixel(0, 0));
    EXPECT_TRUE(skin.background().isNull());
    EXPECT_EQ(skin.stripColour(), strip);
    ASSERT_TRUE(skin.ApplySkinColour(0x00000000));
    EXPECT_EQ(skin.background().pixel(0, 0), TintPicture(skin.pictures().background, {}).pixel(0, 0));
}

TEST(Skin, WithoutPicturesTheViewsGetThePlainColour) {
    Skin skin;
    skin.ApplySkinColour(0x00336699);
    EXPECT_EQ(skin.stripColour(), (Rgb{0x99, 0x66, 0x33}));
    EXPECT_EQ(skin.panelColour(), (Rgb{0x99, 0x66, 0x33}));
    skin.ApplyButtonColour(0x00FFFFFF);
    EXPECT_TRUE(skin.topFaces().normal[0].isNull());
}

TEST(Skin, StoredColourValuesAreBgr) {
    EXPECT_EQ(RgbFromColour(0x00112233), (Rgb{0x33, 0x22, 0x11}));
    EXPECT_EQ(ColourFromRgb({0x33, 0x22, 0x11}), 0x00112233u);
}

TEST(ClockColours, UnlitSegmentsTakeTheDimmedBackground) {
    EXPECT_EQ(DimmedClockBack({0, 0, 0}), (Rgb{40, 40, 40}));
    EXPECT_EQ(DimmedClockBack({100, 1, 255}), (Rgb{92, 40, 234}));
    EXPECT_EQ(DimmedClockBack({179, 183, 139}), (Rgb{164, 168, 127}));
}

TEST(ClockColours, RecolouringReplacesExactColoursOnly) {
    ClockPictures c;
    c.face = Picture(3, 1, kClockBack);
    c.face.setPixel(1, 0, kClockDigit);
    c.face.setPixel(2, 0, kClockUnlit);
    c.largeDigits = c.face;
    c.smallDigits = Picture(2, 1, {179, 183, 140});  // one off the background
    c.smallDigits.setPixel(1, 0, kClockUnlit);

    // A black background must not then be turned into the digit colour.
    const ClockPictures r = RecolourClock(c, {0, 0, 0}, {92, 200, 7});
    EXPECT_EQ(r.face.pixel(0, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(r.face.pixel(1, 0), (Rgb{92, 200, 7}));
    EXPECT_EQ(r.face.pixel(2, 0), kClockUnlit);  // the face has no unlit segments
    EXPECT_EQ(r.largeDigits.pixel(0, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(r.largeDigits.pixel(1, 0), (Rgb{92, 200, 7}));
    EXPECT_EQ(r.largeDigits.pixel(2, 0), (Rgb{40, 40, 40}));
    EXPECT_EQ(r.smallDigits.pixel(0, 0), (Rgb{179, 183, 140}));
    EXPECT_EQ(r.smallDigits.pixel(1, 0), (Rgb{40, 40, 40}));
    // The originals stay as they were, ready for the next recolouring.
    EXPECT_EQ(c.face.pixel(0, 0), kClockBack);
}

}  // namespace
}  // namespace veltrin
