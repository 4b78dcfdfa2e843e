#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace veltrin::bench {

// One verdict line per speed goal, in the form every benchmark here prints.
inline bool reportTarget(const std::string& name, double ratio, double bound) {
    const bool ok = ratio <= bound;
    std::printf("target: %s ratio=%.2f bound=%.2f %s\n", name.c_str(), ratio, bound, ok ? "ok" : "MISSED");
    std::fflush(stdout);
    return ok;
}

// Prints the usual table and keeps each benchmark's real time per iteration,
// so that a run can compare its own measurements.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    // Without colour codes, whatever the flags say: a custom reporter does not
    // follow --benchmark_color, and a trailing code would run into the first
    // "target:" line.
    CollectingReporter() : ConsoleReporter(OO_None) {}
    std::map<std::string, double> realTime;
    std::map<std::string, double> cpuTime;  // for breakdowns that others on the machine should not blur
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            realTime[r.benchmark_name()] = r.GetAdjustedRealTime();
            cpuTime[r.benchmark_name()] = r.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

// CPU time of the calling thread: others on the shared machine do not add to it.
inline double threadSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// The fastest of several repetitions: the machine is shared.
inline double fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// The fastest time runAll kept for a run (its "_min" aggregate); 0 when there is none.
inline double bestTime(const std::map<std::string, double>& times, const std::string& run) {
    for (const auto& [key, value] : times)
        if (key.rfind(run + "/", 0) == 0 && key.size() > 4 && key.compare(key.size() - 4, 4, "_min") == 0)
            return value;
    return 0.0;
}

inline std::map<std::string, double> runAll(int argc, char** argv,
                                            std::map<std::string, double>* cpuTime = nullptr) {
    benchmark::Initialize(&argc, argv);
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (cpuTime) *cpuTime = reporter.cpuTime;
    return reporter.realTime;
}

}  // namespace veltrin::bench

// Manual time, the fastest of `repetitions` runs, in milliseconds.
#define VELTRIN_FASTEST(repetitions)                          \
    UseManualTime()                                           \
        ->Repetitions(repetitions)                            \
        ->ComputeStatistics("min", ::veltrin::bench::fastest) \
        ->ReportAggregatesOnly(true)                          \
        ->Unit(benchmark::kMillisecond)
