#include <gtest/gtest.h>

#include "imaging/Picture.h"

namespace veltrin {
namespace {

// A picture whose red channel encodes the column and green the row from the
// top, so every cut and copy can be traced back to its source pixel.
Picture Coordinates(int w, int h) {
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.setPixel(x, h - 1 - y, {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 7});
    return p;
}

TEST(Picture, PixelRowsCountFromTheBottom) {
    Picture p(3, 2, {1, 2, 3});
    p.setPixel(2, 0, {200, 100, 50});
    // Row 0 from the bottom is the last stored row.
    const std::uint8_t* last = p.bits() + (1 * 3 + 2) * 3;
    EXPECT_EQ(last[0], 200);
    EXPECT_EQ(last[1], 100);
    EXPECT_EQ(last[2], 50);
    EXPECT_EQ(p.pixel(2, 0), (Rgb{200, 100, 50}));
    EXPECT_EQ(p.pixel(2, 1), (Rgb{1, 2, 3}));

    // Outside the picture: reading gives black, setting changes nothing.
    const Picture before = p;
    EXPECT_EQ(p.pixel(3, 0), Rgb{});
    EXPECT_EQ(p.pixel(0, -1), Rgb{});
    p.setPixel(-1, 0, {9, 9, 9});
    p.setPixel(0, 2, {9, 9, 9});
    EXPECT_EQ(p, before);
}

TEST(Picture, AbsurdSizesGiveAnEmptyPicture) {
    EXPECT_TRUE(Picture(0, 10).isNull());
    EXPECT_TRUE(Picture(-5, 10).isNull());
    EXPECT_TRUE(Picture(100000, 100000).isNull());
    EXPECT_FALSE(Picture(1, 1).isNull());
}

TEST(Picture, BlendUsesTheExactIntegerRule) {
    Picture p(4, 1);
    const std::uint8_t values[] = {0, 100, 254, 255};
    for (int x = 0; x < 4; ++x) p.setPixel(x, 0, {values[x], values[x], values[x]});
    p.setAllAlpha(51);
    ASSERT_TRUE(p.hasAlpha());
    p.blendOnto({255, 0, 128});
    EXPECT_FALSE(p.hasAlpha());
    for (int x = 0; x < 4; ++x) {
        const unsigned v = values[x];
        EXPECT_EQ(p.pixel(x, 0).r, (v * 51 + 255 * 204) / 255) << x;
        EXPECT_EQ(p.pixel(x, 0).g, (v * 51) / 255) << x;
        EXPECT_EQ(p.pixel(x, 0).b, (v * 51 + 128 * 204) / 255) << x;
    }
    EXPECT_EQ(p.pixel(2, 0).g, 50);  // 254 × 51 / 255 = 50.8, truncated
}

TEST(Picture, BlendMatchesTheRuleForEveryValue) {
    // 257 pixels: whole blocks and a remainder; every value in each channel.
    Picture p(257, 1);
    for (int x = 0; x < 257; ++x) {
        const auto v = static_cast<std::uint8_t>(x % 256);
        p.setPixel(x, 0, {v, static_cast<std::uint8_t>(255 - v), static_cast<std::uint8_t>(v * 7)});
    }
    for (unsigned a : {0u, 1u, 51u, 128u, 254u, 255u}) {
        for (Rgb c : {Rgb{0, 0, 0}, Rgb{255, 255, 255}, Rgb{1, 128, 254}}) {
            Picture stepwise = p;
            stepwise.setAllAlpha(static_cast<std::uint8_t>(a));
            stepwise.blendOnto(c);
            const Picture fused = p.blendedCopy(c, static_cast<std::uint8_t>(a));
            EXPECT_EQ(fused, stepwise);
            for (int x = 0; x < 257; ++x) {
                const Rgb s = p.pixel(x, 0), r = stepwise.pixel(x, 0);
                ASSERT_EQ(r.r, (s.r * a + c.r * (255 - a)) / 255) << x << " a=" << a;
                ASSERT_EQ(r.g, (s.g * a + c.g * (255 - a)) / 255) << x << " a=" << a;
                ASSERT_EQ(r.b, (s.b * a + c.b * (255 - a)) / 255) << x << " a=" << a;
            }
        }
    }
}

TEST(Picture, BlendScalesAlphaByTheCeiling) {
    Picture p(1, 1, {200, 200, 200});
    p.setAllAlpha(64, 128);  // half of the ceiling: a = 64 × 255 / 128 = 127
    p.blendOnto({0, 0, 0});
    EXPECT_EQ(p.pixel(0, 0).r, 200u * 127 / 255);
}

TEST(Picture, PerPixelAlphaBlendsEachPixelWithItsOwnAlpha) {
    Picture p(2, 1, {100, 100, 100});
    p.setAllAlpha(51);
    p.setAlphaAt(1, 0, 255);
    p.blendOnto({255, 255, 255});
    EXPECT_EQ(p.pixel(0, 0).r, (100u * 51 + 255 * 204) / 255);
    EXPECT_EQ(p.pixel(1, 0).r, 100);  // fully opaque: the picture itself
}

TEST(Picture, BlendWithoutAlphaChangesNothing) {
    Picture p = Coordinates(5, 4);
    const Picture before = p;
    p.blendOnto({255, 255, 255});
    EXPECT_EQ(p, before);
}

TEST(Picture, AddAlphaIsFullyOpaqueAndCopiesKeepIt) {
    Picture p(2, 2, {5, 6, 7});
    p.addAlpha();
    EXPECT_EQ(p.alphaAt(1, 1), 255);
    EXPECT_EQ(p.alphaCeiling(), 255);
    Picture copy = p;
    copy.setAllAlpha(10);
    EXPECT_EQ(p.alphaAt(0, 0), 255);  // the copy is independent
    EXPECT_EQ(copy.alphaAt(0, 0), 10);
}

TEST(Picture, ColumnsCutTheFullHeightAndClip) {
    const Picture p = Coordinates(10, 3);
    const Picture mid = p.columns(3, 7);
    ASSERT_EQ(mid.width(), 4);
    ASSERT_EQ(mid.height(), 3);
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 3; ++y) EXPECT_EQ(mid.pixel(x, y), p.pixel(x + 3, y));

    EXPECT_EQ(p.columns(8, 50).width(), 2);
    EXPECT_EQ(p.columns(-4, 2).width(), 2);
    EXPECT_TRUE(p.columns(6, 6).isNull());
    EXPECT_TRUE(p.columns(7, 3).isNull());

    Picture withAlpha = p;
    withAlpha.setAllAlpha(51);
    EXPECT_EQ(withAlpha.columns(0, 5).alphaAt(4, 2), 51);
}

TEST(Picture, ResampleTakesTheTruncatedScaledPosition) {
    const Picture p = Coordinates(10, 4);
    const Picture half = p.resampled(4, 3);
    ASSERT_EQ(half.width(), 4);
    ASSERT_EQ(half.height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(half.pixel(x, y), p.pixel(x * 10 / 4, y * 4 / 3)) << x << "," << y;
    const Picture twice = p.resampled(20, 8);
    EXPECT_EQ(twice.pixel(19, 7), p.pixel(9, 3));
    EXPECT_EQ(twice.pixel(1, 1), p.pixel(0, 0));
    EXPECT_TRUE(p.resampled(0, 3).isNull());
    EXPECT_TRUE(Picture().resampled(3, 3).isNull());
}

TEST(Picture, ReplaceColoursMapsEachPixelByItsOriginalColour) {
    Picture p(2, 1);
    p.setPixel(0, 0, {1, 1, 1});
    p.setPixel(1, 0, {2, 2, 2});
    // 1 → 2 and 2 → 3 at once: the first pixel must not go on to 3.
    p.replaceColours({{{1, 1, 1}, {2, 2, 2}}, {{2, 2, 2}, {3, 3, 3}}});
    EXPECT_EQ(p.pixel(0, 0), (Rgb{2, 2, 2}));
    EXPECT_EQ(p.pixel(1, 0), (Rgb{3, 3, 3}));
}

TEST(Picture, TilePiecesRunRowByRowAndCutTheLastOnes) {
    const auto pieces = TilePieces(30, 20, {5, 7, 70, 50});
    ASSERT_EQ(pieces.size(), 9u);
    // First row, left to right.
    EXPECT_EQ(pieces[0].targetX, 5);
    EXPECT_EQ(pieces[1].targetX, 35);
    EXPECT_EQ(pieces[2].targetX, 65);
    EXPECT_EQ(pieces[2].source.width, 10);
    EXPECT_EQ(pieces[0].targetY, 7);
    EXPECT_EQ(pieces[3].targetY, 27);
    EXPECT_EQ(pieces[8].targetY, 47);
    EXPECT_EQ(pieces[8].source.height, 10);
    for (const auto& p : pieces) {
        EXPECT_EQ(p.source.x, 0);
        EXPECT_EQ(p.source.y, 0);
    }
    EXPECT_TRUE(TilePieces(0, 20, {0, 0, 10, 10}).empty());
    EXPECT_TRUE(TilePieces(30, 20, {0, 0, 0, 10}).empty());
}

TEST(Picture, TileOntoRepeatsThePicture) {
    const Picture tile = Coordinates(3, 2);
    Picture target(10, 7, {255, 255, 255});
    tile.tileOnto(target, {1, 1, 8, 5});
    auto at = [&](int x, int yTop) { return target.pixel(x, target.height() - 1 - yTop); };
    auto tileAt = [&](int x, int yTop) { return tile.pixel(x, tile.height() - 1 - yTop); };
    EXPECT_EQ(at(0, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(at(1, 1), tileAt(0, 0));
    EXPECT_EQ(at(4, 1), tileAt(0, 0));
    EXPECT_EQ(at(8, 5), tileAt(1, 0));  // last column and row are cut
    EXPECT_EQ(at(9, 5), (Rgb{255, 255, 255}));
    EXPECT_EQ(at(1, 6), (Rgb{255, 255, 255}));
}

TEST(Picture, DrawOntoKeepsOnlyWhatIsInsideTheClip) {
    const Picture p = Coordinates(4, 4);
    Picture target(6, 6);
    p.drawOnto(target, 2, 2, {0, 0, 5, 4});
    auto at = [&](int x, int yTop) { return target.pixel(x, target.height() - 1 - yTop); };
    EXPECT_EQ(at(2, 2), (Rgb{0, 0, 7}));
    EXPECT_EQ(at(4, 3), (Rgb{2, 1, 7}));
    EXPECT_EQ(at(5, 2), Rgb{});  // right of the clip
    EXPECT_EQ(at(2, 4), Rgb{});  // below the clip

    const TilePiece none = ClippedPiece(4, 4, 20, 20, {0, 0, 5, 5});
    EXPECT_TRUE(none.source.empty());
    // Drawing partly off the target is clipped to it, never out of bounds.
    p.drawOnto(target, -2, 4, {-10, -10, 100, 100});
    EXPECT_EQ(at(0, 4), (Rgb{2, 0, 7}));
}

}  // namespace
}  // namespace veltrin
