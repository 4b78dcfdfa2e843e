#include "imaging/Picture.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace veltrin {

namespace {

std::atomic<long> gDecodes{0};
std::atomic<long> gBlends{0};

bool sensibleSize(int w, int h) {
    return w > 0 && h > 0 && static_cast<long long>(w) * h <= Picture::kMaxPixels;
}

// Intersection of two rectangles given from the top.
PixelRect intersect(const PixelRect& a, const PixelRect& b) {
    const int x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
    const int x1 = std::min(a.x + a.width, b.x + b.width);
    const int y1 = std::min(a.y + a.height, b.y + b.height);
    if (x1 <= x0 || y1 <= y0) return {};
    return {x0, y0, x1 - x0, y1 - y0};
}

// Copies one piece between pictures; both rectangles are already inside.
void copyPiece(const Picture& src, Picture& dst, const TilePiece& p) {
    const std::size_t rowBytes = static_cast<std::size_t>(p.source.width) * 3;
    for (int row = 0; row < p.source.height; ++row) {
        const std::uint8_t* from =
            src.bits() + (static_cast<std::size_t>(p.source.y + row) * src.width() + p.source.x) * 3;
        std::uint8_t* to =
            dst.bits() + (static_cast<std::size_t>(p.targetY + row) * dst.width() + p.targetX) * 3;
        std::memcpy(to, from, rowBytes);
    }
}

// new = (p × a + c × (255 − a)) / 255 for every byte, one colour channel
// after the other. The running sum never exceeds 255 × 255, where
// (x + 1 + (x >> 8)) >> 8 is exactly x / 255; written over blocks of 48
// bytes (16 pixels) so that the compiler can vectorise it.
void blendUniform(const std::uint8_t* src, std::uint8_t* dst, std::size_t bytes, unsigned a, Rgb c) {
    const unsigned add[3] = {c.r * (255 - a), c.g * (255 - a), c.b * (255 - a)};
    std::uint16_t pattern[48];
    for (int k = 0; k < 48; ++k) pattern[k] = static_cast<std::uint16_t>(add[k % 3]);
    const std::uint16_t mul = static_cast<std::uint16_t>(a);
    std::size_t i = 0;
    for (; i + 48 <= bytes; i += 48) {
        for (int k = 0; k < 48; ++k) {
            const std::uint16_t x = static_cast<std::uint16_t>(src[i + k] * mul + pattern[k]);
            dst[i + k] = static_cast<std::uint8_t>((x + 1 + (x >> 8)) >> 8);
        }
    }
    for (; i < bytes; ++i) dst[i] = static_cast<std::uint8_t>((src[i] * a + add[i % 3]) / 255);
}

}  // namespace

namespace detail {
void CountDecode() { ++gDecodes; }
}  // namespace detail

PictureWorkCounts PictureWork() { return {gDecodes.load(), gBlends.load()}; }

Picture::Picture(int width, int height, Rgb fill) {
    if (!sensibleSize(width, height)) return;
    width_ = width;
    height_ = height;
    pixels_.resize(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < pixels_.size(); i += 3) {
        pixels_[i] = fill.r;
        pixels_[i + 1] = fill.g;
        pixels_[i + 2] = fill.b;
    }
}

void Picture::addAlpha() { setAllAlpha(255, 255); }

void Picture::setAllAlpha(std::uint8_t a, std::uint8_t ceiling) {
    if (isNull()) return;
    alpha_.assign(static_cast<std::size_t>(width_) * height_, a);
    alphaCeiling_ = ceiling == 0 ? 255 : ceiling;
    uniformAlpha_ = a;
}

void Picture::blendOnto(Rgb c) {
    if (alpha_.empty()) return;
    ++gBlends;
    const unsigned ceiling = alphaCeiling_;
    auto scaled = [ceiling](unsigned a) { return std::min(255u, a * 255u / ceiling); };
    const std::size_t count = static_cast<std::size_t>(width_) * height_;
    std::uint8_t* px = pixels_.data();
    if (uniformAlpha_ >= 0) {
        blendUniform(px, px, pixels_.size(), scaled(static_cast<unsigned>(uniformAlpha_)), c);
    } else {
        for (std::size_t i = 0; i < count; ++i, px += 3) {
            const unsigned a = scaled(alpha_[i]);
            px[0] = static_cast<std::uint8_t>((px[0] * a + c.r * (255 - a)) / 255);
            px[1] = static_cast<std::uint8_t>((px[1] * a + c.g * (255 - a)) / 255);
            px[2] = static_cast<std::uint8_t>((px[2] * a + c.b * (255 - a)) / 255);
        }
    }
    alpha_.clear();
    alpha_.shrink_to_fit();
    alphaCeiling_ = 255;
    uniformAlpha_ = -1;
}

Picture Picture::blendedCopy(Rgb c, std::uint8_t alpha) const {
    Picture out;
    if (isNull()) return out;
    ++gBlends;
    out.width_ = width_;
    out.height_ = height_;
    out.pixels_.resize(pixels_.size());
    blendUniform(pixels_.data(), out.pixels_.data(), pixels_.size(), alpha, c);
    return out;
}

Picture Picture::columns(int from, int to) const {
    from = std::max(from, 0);
    to = std::min(to, width_);
    Picture out;
    if (to <= from || isNull()) return out;
    out.width_ = to - from;
    out.height_ = height_;
    out.pixels_.resize(static_cast<std::size_t>(out.width_) * height_ * 3);
    const std::size_t rowBytes = static_cast<std::size_t>(out.width_) * 3;
    for (int y = 0; y < height_; ++y)
        std::memcpy(&out.pixels_[y * rowBytes], &pixels_[(static_cast<std::size_t>(y) * width_ + from) * 3],
                    rowBytes);
    if (!alpha_.empty()) {
        out.alpha_.resize(static_cast<std::size_t>(out.width_) * height_);
        for (int y = 0; y < height_; ++y)
            std::memcpy(&out.alpha_[static_cast<std::size_t>(y) * out.width_],
                        &alpha_[static_cast<std::size_t>(y) * width_ + from], out.width_);
        out.alphaCeiling_ = alphaCeiling_;
        out.uniformAlpha_ = uniformAlpha_;
    }
    return out;
}

Rgb Picture::pixel(int x, int yFromBottom) const {
    if (!inside(x, yFromBottom)) return {};
    const std::uint8_t* p = &pixels_[index(x, yFromBottom) * 3];
    return {p[0], p[1], p[2]};
}

void Picture::setPixel(int x, int yFromBottom, Rgb c) {
    if (!inside(x, yFromBottom)) return;
    std::uint8_t* p = &pixels_[index(x, yFromBottom) * 3];
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
}

std::uint8_t Picture::alphaAt(int x, int yFromBottom) const {
    if (!inside(x, yFromBottom)) return 0;
    return alpha_.empty() ? 255 : alpha_[index(x, yFromBottom)];
}

void Picture::setAlphaAt(int x, int yFromBottom, std::uint8_t a) {
    if (!inside(x, yFromBottom)) return;
    if (alpha_.empty()) addAlpha();
    alpha_[index(x, yFromBottom)] = a;
    if (uniformAlpha_ != a) uniformAlpha_ = -1;
}

Picture Picture::resampled(int newWidth, int newHeight) const {
    if (isNull() || !sensibleSize(newWidth, newHeight)) return {};
    Picture out(newWidth, newHeight);
    // Rows counted from the bottom, like the pixel accessors.
    for (int y = 0; y < newHeight; ++y) {
        const int sy = static_cast<int>(static_cast<long long>(y) * height_ / newHeight);
        const std::uint8_t* from = &pixels_[index(0, sy) * 3];
        std::uint8_t* to = &out.pixels_[out.index(0, y) * 3];
        for (int x = 0; x < newWidth; ++x) {
            const int sx = static_cast<int>(static_cast<long long>(x) * width_ / newWidth);
            std::memcpy(to + static_cast<std::size_t>(x) * 3, from + static_cast<std::size_t>(sx) * 3, 3);
        }
    }
    return out;
}

void Picture::replaceColours(const std::vector<ColourSwap>& swaps) {
    for (std::size_t i = 0; i < pixels_.size(); i += 3) {
        for (const ColourSwap& s : swaps) {
            if (pixels_[i] == s.from.r && pixels_[i + 1] == s.from.g && pixels_[i + 2] == s.from.b) {
                pixels_[i] = s.to.r;
                pixels_[i + 1] = s.to.g;
                pixels_[i + 2] = s.to.b;
                break;
            }
        }
    }
}

void Picture::drawOnto(Picture& target, int x, int y, const PixelRect& clip) const {
    const PixelRect bounded = intersect(clip, {0, 0, target.width(), target.height()});
    const TilePiece piece = ClippedPiece(width_, height_, x, y, bounded);
    if (!piece.source.empty()) copyPiece(*this, target, piece);
}

void Picture::tileOnto(Picture& target, const PixelRect& area) const {
    const PixelRect bounds{0, 0, target.width(), target.height()};
    for (const TilePiece& p : TilePieces(width_, height_, area)) {
        const TilePiece piece = ClippedPiece(p.source.width, p.source.height, p.targetX, p.targetY, bounds);
        if (piece.source.empty()) continue;
        copyPiece(*this, target,
                  {{p.source.x + piece.source.x, p.source.y + piece.source.y, piece.source.width,
                    piece.source.height},
                   piece.targetX,
                   piece.targetY});
    }
}

bool operator==(const Picture& a, const Picture& b) {
    return a.width_ == b.width_ && a.height_ == b.height_ && a.pixels_ == b.pixels_ && a.alpha_ == b.alpha_ &&
           (a.alpha_.empty() || a.alphaCeiling_ == b.alphaCeiling_);
}

std::vector<TilePiece> TilePieces(int pictureWidth, int pictureHeight, const PixelRect& area) {
    std::vector<TilePiece> pieces;
    if (pictureWidth <= 0 || pictureHeight <= 0 || area.empty()) return pieces;
    for (int y = area.y; y < area.y + area.height; y += pictureHeight) {
        const int h = std::min(pictureHeight, area.y + area.height - y);
        for (int x = area.x; x < area.x + area.width; x += pictureWidth) {
            const int w = std::min(pictureWidth, area.x + area.width - x);
            pieces.push_back({{0, 0, w, h}, x, y});
        }
    }
    return pieces;
}

TilePiece ClippedPiece(int pictureWidth, int pictureHeight, int x, int y, const PixelRect& clip) {
    const PixelRect placed = intersect({x, y, pictureWidth, pictureHeight}, clip);
    if (placed.empty()) return {};
    return {{placed.x - x, placed.y - y, placed.width, placed.height}, placed.x, placed.y};
}

}  // namespace veltrin
