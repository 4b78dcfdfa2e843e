// SaveAll with nothing changed against SaveAll writing all five files, in one
// run, on 10 000 events, 50 000 contacts and 3 000 diary pages of 20 KB.
//
// The data folder is on the disk under /tmp, not on tmpfs: a save that
// writes pays for its fsync calls there, as it does for a user, and the save
// that finds nothing changed pays for every serialization it compares.

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "SampleData.h"
#include "Target.h"
#include "app/AppData.h"
#include "platform/Platform.h"
#include "settings/AppSettings.h"
#include "storage/DataFile.h"
#include "storage/SafeFile.h"

using namespace veltrin;

namespace {

constexpr int kEvents = 10000;
constexpr int kContacts = 50000;
constexpr int kDiaryPages = 3000;
constexpr std::size_t kDiaryPageBytes = 20 * 1024;
constexpr int kNotes = 500;

// The login entry is not the benchmark's business.
class NoAutostart : public Autostart {
public:
    Result write(const std::string&, bool) override { return Result::Written; }
};

AppData makeData() {
    AppData d;
    ApplySettingsDefaults(d.settings);
    d.events = bench::makeEvents(kEvents);
    d.contacts = bench::makeContacts(kContacts);
    d.diary = bench::makeDiary(kDiaryPages, kDiaryPageBytes);
    d.notes = bench::makeNotes(kNotes, 12);
    return d;
}

// The main window's SaveAll with no view open.
bool saveAll(AppData& d) { return SaveAll(d, ViewStates{}); }

std::map<std::string, FileState> states() {
    std::map<std::string, FileState> s;
    for (const DataFileKind* kind : kDataFileKinds)
        s[kind->fileName] = StateOfFile(DataFilePath(kind->fileName)).value_or(FileState{});
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    bench::BenchFolder folder(false);
    NoAutostart autostart;
    setAutostart(&autostart);
    if (folder.onTmpfs) std::printf("note: %s is on tmpfs, where fsync costs nothing\n", folder.root.c_str());
    static AppData data = makeData();

    // The first save writes the files; the second, forced, makes the day's
    // backup copies, so that neither side below pays for those.
    if (!saveAll(data)) return 1;
    ForgetStoredDigests();
    if (!saveAll(data)) return 1;
    std::uint64_t total = 0;
    for (const DataFileKind* kind : kDataFileKinds) total += StateOfFile(DataFilePath(kind->fileName))->size;
    std::printf("data set: %.1f MB in five files\n", static_cast<double>(total) / 1e6);

    auto shape = [](benchmark::internal::Benchmark* b) {
        b->Repetitions(5)
            ->ComputeStatistics("min", bench::fastest)
            ->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMillisecond);
    };
    shape(benchmark::RegisterBenchmark("SaveAll nothing changed", [](benchmark::State& state) {
        const auto before = states();
        for (auto _ : state)
            if (!saveAll(data)) state.SkipWithError("save failed");
        if (states() != before) state.SkipWithError("a file was written with nothing changed");
    }));
    shape(benchmark::RegisterBenchmark("SaveAll writing all five files", [](benchmark::State& state) {
        for (auto _ : state) {
            ForgetStoredDigests();
            const auto before = states();
            if (!saveAll(data)) state.SkipWithError("save failed");
            state.PauseTiming();
            const auto after = states();
            for (const auto& [name, s] : after)
                if (s.inode == before.at(name).inode) state.SkipWithError("a file was not written");
            state.ResumeTiming();
        }
    }));
    auto t = bench::runAll(argc, argv);
    auto best = [&t](const std::string& run) { return bench::bestTime(t, run); };
    const double unchanged = best("SaveAll nothing changed"),
                 written = best("SaveAll writing all five files");
    if (unchanged <= 0 || written <= 0) return 1;
    setAutostart(nullptr);
    return bench::reportTarget("SaveAll nothing changed vs writing all five files", unchanged / written, 0.25)
               ? 0
               : 1;
}
