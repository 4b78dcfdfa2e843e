#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace veltrin {

// One colour as red, green and blue bytes.
struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
    friend bool operator!=(Rgb a, Rgb b) { return !(a == b); }
};

// A stored colour value 0x00BBGGRR and back.
inline Rgb RgbFromColour(std::uint32_t c) {
    return {static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>((c >> 8) & 0xFF),
            static_cast<std::uint8_t>((c >> 16) & 0xFF)};
}
inline std::uint32_t ColourFromRgb(Rgb c) {
    return static_cast<std::uint32_t>(c.r) | (static_cast<std::uint32_t>(c.g) << 8) |
           (static_cast<std::uint32_t>(c.b) << 16);
}

struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;  // y counted from the top
    bool empty() const { return width <= 0 || height <= 0; }
};

// A 24-bit picture with an optional alpha channel. Rows are kept top-down;
// the pixel accessors count rows from the bottom, as the skin's sampling
// points are given that way. An empty picture (0 × 0) stands for anything
// that could not be decoded.
class Picture {
public:
    // Larger pictures are refused rather than allocated from a damaged header.
    static constexpr long long kMaxPixels = 64LL * 1024 * 1024;

    Picture() = default;
    // A picture filled with one colour; empty when the size is not sensible.
    Picture(int width, int height, Rgb fill = {});

    bool isNull() const { return width_ == 0 || height_ == 0; }
    int width() const { return width_; }
    int height() const { return height_; }

    // Gives every pixel full opacity, with 255 as the alpha ceiling.
    void addAlpha();
    bool hasAlpha() const { return !alpha_.empty(); }
    std::uint8_t alphaCeiling() const { return alphaCeiling_; }
    // Sets every alpha value to a (adds the channel if missing).
    void setAllAlpha(std::uint8_t a, std::uint8_t ceiling = 255);

    // Blends the picture onto the flat colour c and drops the alpha channel:
    // new = (p × a + c × (255 − a)) / 255 per channel, truncated, a being the
    // pixel's alpha scaled by the ceiling. Without alpha nothing changes.
    void blendOnto(Rgb c);
    // The same as a copy whose alpha is set to `alpha` everywhere (ceiling
    // 255) blended onto c, without copying the alpha channel first.
    Picture blendedCopy(Rgb c, std::uint8_t alpha) const;

    // Columns [from, to) over the full height, alpha included; the range is
    // clipped to the picture.
    Picture columns(int from, int to) const;

    // y counts rows from the bottom (0 is the last row). Reading outside
    // gives black; setting outside does nothing.
    Rgb pixel(int x, int yFromBottom) const;
    void setPixel(int x, int yFromBottom, Rgb c);
    std::uint8_t alphaAt(int x, int yFromBottom) const;
    // Sets one alpha value (adds the channel, fully opaque, if missing).
    void setAlphaAt(int x, int yFromBottom, std::uint8_t a);

    // Nearest neighbour: new pixel (x, y) is old pixel (x × w / nw, y × h / nh),
    // rows counted from the bottom.
    Picture resampled(int newWidth, int newHeight) const;

    // Replaces colours exactly, all in one pass: each pixel is looked up by
    // its original colour, so a replacement never feeds a later one.
    struct ColourSwap {
        Rgb from, to;
    };
    void replaceColours(const std::vector<ColourSwap>& swaps);

    // Copies the picture into target at (x, y) (from the top), keeping only
    // what falls inside clip and inside the target. Alpha is not carried.
    void drawOnto(Picture& target, int x, int y, const PixelRect& clip) const;
    // Repeats the picture over area from its top-left corner, row by row,
    // cutting the last column and row at the area's edges.
    void tileOnto(Picture& target, const PixelRect& area) const;

    // Raw access: rows top-down, three bytes (r, g, b) per pixel.
    const std::uint8_t* bits() const { return pixels_.data(); }
    std::uint8_t* bits() { return pixels_.data(); }
    const std::uint8_t* alphaBits() const { return alpha_.data(); }
    std::size_t byteCount() const { return pixels_.size(); }

    friend bool operator==(const Picture& a, const Picture& b);

private:
    std::size_t index(int x, int yFromBottom) const {
        return static_cast<std::size_t>(height_ - 1 - yFromBottom) * width_ + x;
    }
    bool inside(int x, int yFromBottom) const {
        return x >= 0 && yFromBottom >= 0 && x < width_ && yFromBottom < height_;
    }

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> pixels_;
    std::vector<std::uint8_t> alpha_;
    std::uint8_t alphaCeiling_ = 255;
    int uniformAlpha_ = -1;  // the one alpha value of every pixel, or -1
};

// One piece of a tiling or a clipped drawing: which part of the source goes
// where in the target (both from the top).
struct TilePiece {
    PixelRect source;
    int targetX = 0, targetY = 0;
};

// The pieces that tile a w × h picture over area, row by row from the
// area's top-left corner; the last column and row are cut at the edges.
std::vector<TilePiece> TilePieces(int pictureWidth, int pictureHeight, const PixelRect& area);

// The part of a w × h picture placed at (x, y) that falls inside clip;
// an empty source when nothing does.
TilePiece ClippedPiece(int pictureWidth, int pictureHeight, int x, int y, const PixelRect& clip);

// How often pictures were decoded and blended in this process, so callers
// can check that some piece of work touched no picture.
struct PictureWorkCounts {
    long decodes = 0;
    long blends = 0;
};
PictureWorkCounts PictureWork();

namespace detail {
void CountDecode();
}

}  // namespace veltrin
