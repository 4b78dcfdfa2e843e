// Skin work when a colour changes (tinting the background and both button
// sets, cutting their faces) against a plain copy of the same pictures, in
// the same run.
#include "Target.h"
#include "imaging/Skin.h"

using veltrin::Picture;
using veltrin::SkinPictures;

namespace {

Picture Pattern(int w, int h) {
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.setPixel(x, y,
                       {static_cast<std::uint8_t>(x * 7 + y), static_cast<std::uint8_t>(x ^ y),
                        static_cast<std::uint8_t>(y * 3)});
    p.addAlpha();  // as at load
    return p;
}

const SkinPictures& Pictures() {
    static const SkinPictures s = [] {
        SkinPictures p;
        for (const auto& size : veltrin::kSkinPictureSizes)
            p.*size.picture = Pattern(size.width, size.height);
        return p;
    }();
    return s;
}

void BM_SkinTintAndCut(benchmark::State& state) {
    veltrin::Skin skin(Pictures());
    std::uint32_t colour = 0x00FFFFFF;
    for (auto _ : state) {
        colour ^= 0x00102030;  // a new colour every time, so every group is redone
        skin.ApplySkinColour(colour);
        skin.ApplyButtonColour(colour);
        benchmark::DoNotOptimize(skin.topFaces().normal[0].bits());
        benchmark::DoNotOptimize(skin.background().bits());
    }
}

void BM_PlainCopy(benchmark::State& state) {
    const SkinPictures& s = Pictures();
    for (auto _ : state) {
        for (const auto& size : veltrin::kSkinPictureSizes) {
            Picture copy = s.*size.picture;
            benchmark::DoNotOptimize(copy.bits());
        }
    }
}

BENCHMARK(BM_SkinTintAndCut)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    auto t = veltrin::bench::runAll(argc, argv);
    const bool ok = veltrin::bench::reportTarget("skin tint and cut vs plain copy",
                                                 t["BM_SkinTintAndCut"] / t["BM_PlainCopy"], 10.0);
    return ok ? 0 : 1;
}
