#include <cstdlib>

#include <gtest/gtest.h>

#include "imaging/Decode.h"
#include "imaging/Encode.h"

namespace veltrin {
namespace {

// Smooth content, so the JPEG round trip stays close to the source.
Picture Gradient(int w, int h) {
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.setPixel(x, y,
                       {static_cast<std::uint8_t>(x * 255 / w), static_cast<std::uint8_t>(y * 255 / h), 128});
    return p;
}

// A palette picture with a few exact colours, the way the clock's are made.
Picture Palette(int w, int h) {
    Picture p(w, h, {179, 183, 139});
    for (int x = 0; x < w; x += 3) p.setPixel(x, (x / 3) % h, {0, 0, 0});
    for (int y = 0; y < h; y += 2) p.setPixel(w - 1, y, {158, 164, 108});
    return p;
}

Picture Decode(PictureFormat f, const std::vector<std::uint8_t>& bytes, std::size_t size) {
    return DecodePicture(f, bytes.data(), size);
}

TEST(DecodeJpeg, RoundTripKeepsSizeAndColours) {
    const Picture source = Gradient(64, 40);
    const auto bytes = EncodeJpeg(source, 95);
    ASSERT_FALSE(bytes.empty());
    const Picture p = Decode(PictureFormat::Jpeg, bytes, bytes.size());
    ASSERT_EQ(p.width(), 64);
    ASSERT_EQ(p.height(), 40);
    EXPECT_FALSE(p.hasAlpha());
    for (int y = 0; y < 40; y += 7)
        for (int x = 0; x < 64; x += 9) {
            EXPECT_NEAR(p.pixel(x, y).r, source.pixel(x, y).r, 6);
            EXPECT_NEAR(p.pixel(x, y).g, source.pixel(x, y).g, 6);
            EXPECT_NEAR(p.pixel(x, y).b, source.pixel(x, y).b, 6);
        }
}

TEST(DecodeJpeg, DamagedDataGivesAnEmptyPicture) {
    const auto bytes = EncodeJpeg(Gradient(120, 90), 90);
    ASSERT_GT(bytes.size(), 200u);
    const long decodes = PictureWork().decodes;
    // Truncated in the middle of the scan, and just before the end marker.
    EXPECT_TRUE(Decode(PictureFormat::Jpeg, bytes, bytes.size() / 2).isNull());
    EXPECT_TRUE(Decode(PictureFormat::Jpeg, bytes, bytes.size() - 2).isNull());
    // Only the header.
    EXPECT_TRUE(Decode(PictureFormat::Jpeg, bytes, 150).isNull());
    EXPECT_TRUE(Decode(PictureFormat::Jpeg, bytes, 0).isNull());
    EXPECT_TRUE(DecodeJpeg(nullptr, 100).isNull());
    // Not a JPEG at all.
    const std::vector<std::uint8_t> text(500, 'x');
    EXPECT_TRUE(Decode(PictureFormat::Jpeg, text, text.size()).isNull());
    // A GIF handed to the JPEG decoder.
    const auto gif = EncodeGif(Palette(10, 10));
    EXPECT_TRUE(Decode(PictureFormat::Jpeg, gif, gif.size()).isNull());
    EXPECT_EQ(PictureWork().decodes, decodes);
}

TEST(DecodeJpeg, ScrambledScanDataNeverCrashes) {
    auto bytes = EncodeJpeg(Gradient(80, 60), 90);
    std::srand(7);
    for (int round = 0; round < 40; ++round) {
        auto damaged = bytes;
        for (int i = 0; i < 8; ++i)
            damaged[200 + static_cast<std::size_t>(std::rand()) % (damaged.size() - 200)] =
                static_cast<std::uint8_t>(std::rand());
        const Picture p = Decode(PictureFormat::Jpeg, damaged, damaged.size());
        // Either recognised as damaged, or decoded at the right size.
        if (!p.isNull()) {
            EXPECT_EQ(p.width(), 80);
            EXPECT_EQ(p.height(), 60);
        }
    }
}

TEST(DecodeGif, RoundTripIsExact) {
    for (bool interlaced : {false, true}) {
        const Picture source = Palette(151, 72);
        const auto bytes = EncodeGif(source, interlaced);
        ASSERT_FALSE(bytes.empty());
        const Picture p = Decode(PictureFormat::Gif, bytes, bytes.size());
        EXPECT_EQ(p, source) << "interlaced " << interlaced;
    }
}

TEST(DecodeGif, RichPicturesAreReducedToAPalette) {
    const Picture source = Gradient(60, 60);  // 3 600 colours
    const auto bytes = EncodeGif(source);
    const Picture p = Decode(PictureFormat::Gif, bytes, bytes.size());
    ASSERT_EQ(p.width(), 60);
    EXPECT_NEAR(p.pixel(30, 30).r, source.pixel(30, 30).r, 24);
    EXPECT_NEAR(p.pixel(59, 5).g, source.pixel(59, 5).g, 24);
}

TEST(DecodeGif, DamagedDataGivesAnEmptyPicture) {
    const auto bytes = EncodeGif(Gradient(90, 60));
    const long decodes = PictureWork().decodes;
    for (std::size_t size :
         {bytes.size() / 2, std::size_t{30}, std::size_t{13}, std::size_t{6}, std::size_t{0}})
        EXPECT_TRUE(Decode(PictureFormat::Gif, bytes, size).isNull()) << size;
    const std::vector<std::uint8_t> text(300, 'G');
    EXPECT_TRUE(Decode(PictureFormat::Gif, text, text.size()).isNull());
    const auto jpeg = EncodeJpeg(Gradient(20, 20));
    EXPECT_TRUE(Decode(PictureFormat::Gif, jpeg, jpeg.size()).isNull());
    EXPECT_EQ(PictureWork().decodes, decodes);
}

TEST(DecodeGif, AnImageOutsideItsScreenIsRefused) {
    auto bytes = EncodeGif(Palette(20, 10));
    // Logical screen (bytes 6–9) shrunk to 4 × 4: the image no longer fits.
    bytes[6] = 4;
    bytes[7] = 0;
    bytes[8] = 4;
    bytes[9] = 0;
    EXPECT_TRUE(Decode(PictureFormat::Gif, bytes, bytes.size()).isNull());
}

TEST(DecodeGif, IndicesBeyondTheColourMapAreDamage) {
    // A 4-colour picture whose colour map is cut to 2 entries uses indices
    // the map does not hold.
    Picture four(8, 1);
    for (int x = 0; x < 8; ++x) four.setPixel(x, 0, {static_cast<std::uint8_t>(x % 4 * 60), 0, 0});
    auto bytes = EncodeGif(four);
    ASSERT_EQ(bytes[10] & 0x07, 1);  // map of 2^(1+1) = 4 entries
    // Rewrite as a 2-entry map: drop the last two entries (6 bytes).
    bytes[10] = static_cast<std::uint8_t>(bytes[10] & ~0x07);
    bytes.erase(bytes.begin() + 13 + 6, bytes.begin() + 13 + 12);
    EXPECT_TRUE(Decode(PictureFormat::Gif, bytes, bytes.size()).isNull());
}

TEST(Decode, ResourceTypesNameTheirDecoder) {
    PictureFormat f = PictureFormat::Gif;
    EXPECT_TRUE(FormatForResourceType("JPG", f));
    EXPECT_EQ(f, PictureFormat::Jpeg);
    EXPECT_TRUE(FormatForResourceType("GIF", f));
    EXPECT_EQ(f, PictureFormat::Gif);
    EXPECT_TRUE(FormatForResourceType("BITMAP", f));
    EXPECT_EQ(f, PictureFormat::Gif);
    EXPECT_FALSE(FormatForResourceType("PNG", f));
}

}  // namespace
}  // namespace veltrin
