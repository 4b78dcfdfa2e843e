#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
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
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) realTime[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

inline std::map<std::string, double> runAll(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.realTime;
}

}  // namespace veltrin::bench
