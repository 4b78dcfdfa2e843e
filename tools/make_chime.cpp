// Writes "Notify.wav": a soft two-note chime, 16-bit mono PCM.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

void put16(std::FILE* f, std::uint16_t v) {
    std::fputc(v & 0xFF, f);
    std::fputc(v >> 8, f);
}
void put32(std::FILE* f, std::uint32_t v) {
    put16(f, v & 0xFFFF);
    put16(f, v >> 16);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_chime OUTPUT.wav\n");
        return 2;
    }
    const int rate = 22050;
    const double length = 1.2;
    const double pi = 3.14159265358979;
    std::vector<std::int16_t> samples(static_cast<std::size_t>(rate * length));
    // Two bell-like notes, the second a fourth below the first.
    const struct { double start, freq; } notes[] = {{0.0, 1318.5}, {0.18, 987.8}};
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        double v = 0;
        for (const auto& n : notes) {
            const double u = t - n.start;
            if (u < 0) continue;
            const double attack = std::min(1.0, u / 0.004);
            const double decay = std::exp(-u * 4.0);
            v += attack * decay *
                 (0.6 * std::sin(2 * pi * n.freq * u) +
                  0.25 * std::sin(2 * pi * n.freq * 2.01 * u) * std::exp(-u * 6) +
                  0.1 * std::sin(2 * pi * n.freq * 3.02 * u) * std::exp(-u * 9));
        }
        const double fadeOut = std::min(1.0, (length - t) / 0.05);
        samples[i] = static_cast<std::int16_t>(std::lround(v * fadeOut * 0.45 * 32767));
    }
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f) {
        std::perror(argv[1]);
        return 1;
    }
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::fwrite("RIFF", 1, 4, f);
    put32(f, 36 + dataBytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    put32(f, 16);
    put16(f, 1);
    put16(f, 1);
    put32(f, rate);
    put32(f, rate * 2);
    put16(f, 2);
    put16(f, 16);
    std::fwrite("data", 1, 4, f);
    put32(f, dataBytes);
    for (std::int16_t s : samples) put16(f, static_cast<std::uint16_t>(s));
    return std::fclose(f) == 0 ? 0 : 1;
}
