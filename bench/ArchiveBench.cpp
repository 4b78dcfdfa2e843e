// Storing and loading through the archive against plain buffered stdio of the
// same bytes, field by field, in the same run.
#include <cstdio>
#include <string>
#include <vector>

#include "PlainStdio.h"
#include "Target.h"
#include "storage/Archive.h"

using veltrin::Archive;

namespace {

constexpr int kFields = 200000;

struct Field {
    std::int32_t number;
    std::string text;  // every fourth field is a text
};

const std::vector<Field>& fields() {
    static const std::vector<Field> f = [] {
        std::vector<Field> v(kFields);
        for (int i = 0; i < kFields; ++i) {
            v[i].number = i * 7919;
            if (i % 4 == 3) v[i].text = std::string(static_cast<std::size_t>(i % 300), 'a' + i % 26);
        }
        return v;
    }();
    return f;
}

const char* kPath = "/tmp/veltrin-bench-archive.bin";

void storeArchive() {
    std::FILE* f = std::fopen(kPath, "wb");
    {
        Archive ar(f, Archive::Mode::Store);
        for (std::size_t i = 0; i < fields().size(); ++i) {
            Field c = fields()[i];
            if (i % 4 == 3)
                ar.countedString(c.text);
            else
                ar.int32(c.number);
        }
        ar.Close();
    }
    std::fclose(f);
}

void BM_ArchiveStore(benchmark::State& state) {
    for (auto _ : state) storeArchive();
}

void BM_PlainWrite(benchmark::State& state) {
    for (auto _ : state) {
        std::FILE* f = std::fopen(kPath, "wb");
        std::setvbuf(f, nullptr, _IOFBF, Archive::kBufferSize);
        for (std::size_t i = 0; i < fields().size(); ++i) {
            const Field& x = fields()[i];
            if (i % 4 == 3) {
                veltrin::bench::plainWriteString(f, x.text);
            } else {
                std::fwrite(&x.number, 4, 1, f);
            }
        }
        std::fclose(f);
    }
}

void BM_ArchiveLoad(benchmark::State& state) {
    storeArchive();
    for (auto _ : state) {
        std::FILE* f = std::fopen(kPath, "rb");
        std::fseek(f, 0, SEEK_END);
        const long size = std::ftell(f);
        std::fseek(f, 0, SEEK_SET);
        Archive ar(f, Archive::Mode::Load, static_cast<std::uint64_t>(size));
        std::int32_t n = 0;
        std::string s;
        for (int i = 0; i < kFields; ++i) {
            if (i % 4 == 3)
                ar.countedString(s);
            else
                ar.int32(n);
        }
        benchmark::DoNotOptimize(n);
        std::fclose(f);
    }
}

void BM_PlainRead(benchmark::State& state) {
    storeArchive();
    for (auto _ : state) {
        std::FILE* f = std::fopen(kPath, "rb");
        std::setvbuf(f, nullptr, _IOFBF, Archive::kBufferSize);
        std::int32_t n = 0;
        std::string s;
        for (int i = 0; i < kFields; ++i) {
            if (i % 4 == 3) {
                veltrin::bench::plainReadString(f, s);
            } else {
                std::fread(&n, 4, 1, f);
            }
        }
        benchmark::DoNotOptimize(n);
        std::fclose(f);
    }
}

BENCHMARK(BM_ArchiveStore)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArchiveLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    auto t = veltrin::bench::runAll(argc, argv);
    bool ok = veltrin::bench::reportTarget("archive store vs plain write",
                                           t["BM_ArchiveStore"] / t["BM_PlainWrite"], 2.0);
    ok = veltrin::bench::reportTarget("archive load vs plain read", t["BM_ArchiveLoad"] / t["BM_PlainRead"],
                                      2.0) &&
         ok;
    std::remove(kPath);
    return ok ? 0 : 1;
}
