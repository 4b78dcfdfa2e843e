// One tick of an event list (every row's due test, "Time" and "Left" texts,
// redrawing held off) against working out the same texts for a plain vector
// of schedules: what the list adds over the bare computation.
#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "Target.h"
#include "controls/GroupTreeModel.h"
#include "events/Countdown.h"
#include "events/EventList.h"
#include "events/EventTrees.h"
#include "events/Schedule.h"
#include "platform/Platform.h"

using namespace veltrin;

namespace {

constexpr int kRows = 10000;

// The time this thread spent on the CPU: the machine is shared.
// Every kind of schedule, none due during the run, a few rows unticked.
const std::vector<EventItem>& items() {
    static const std::vector<EventItem> v = [] {
        const std::int64_t now = veltrin::clock().now();
        std::vector<EventItem> out(kRows);
        for (int i = 0; i < kRows; ++i) {
            EventItem& e = out[static_cast<std::size_t>(i)];
            e.name = "Event " + std::to_string(i);
            e.actual = i % 50 != 0;
            e.priority = 1 + i % 10;
            EventSchedule& s = e.details.schedule;
            s.kind = i % 6;
            s.eventTime = static_cast<std::int32_t>(now + 3600 + 97 * i);
            s.minutesAfterHour = i % 60;
            s.dayOfMonth = 1 + i % 31;
            s.annualDay = 1 + i % 28;
            s.annualMonth = i % 12;
            s.whichDays = i % 4;
            s.customDays = "246";
            s.weekday = 1 + i % 7;
            ResetDueTracking(s, now);
        }
        return out;
    }();
    return v;
}

void BM_Tick(benchmark::State& state) {
    GroupTreeModel list;
    EventTickContext context;
    context.styles = SetUpEventList(list);
    context.showSeconds = true;
    for (const EventItem& e : items())
        AddEventRow(list, e, context.styles.name, context.styles.priority, kInsertLast);
    TickEventList(list, context);  // the texts of a filled list
    for (auto _ : state) {
        const double start = bench::threadSeconds();
        TickEventList(list, context);
        benchmark::DoNotOptimize(list.RowCount());
        state.SetIterationTime(bench::threadSeconds() - start);
    }
}

struct Texts {
    std::string time, left;
};

void BM_PlainTexts(benchmark::State& state) {
    std::vector<EventSchedule> schedules;
    std::vector<bool> actual;
    for (const EventItem& e : items()) {
        schedules.push_back(e.details.schedule);
        actual.push_back(e.actual != 0);
    }
    std::vector<Texts> texts(schedules.size());
    for (auto _ : state) {
        const double start = bench::threadSeconds();
        for (std::size_t i = 0; i < schedules.size(); ++i) {
            if (!actual[i]) {
                texts[i] = {kNotActualText, kNotActualText};
                continue;
            }
            const std::int64_t now = veltrin::clock().now();
            const std::int64_t next = NextOccurrence(schedules[i], now);
            texts[i].time = DueTimeText(next);
            texts[i].left = LeftText(next - now, true);
        }
        benchmark::DoNotOptimize(texts.data());
        state.SetIterationTime(bench::threadSeconds() - start);
    }
}

BENCHMARK(BM_Tick)->Iterations(20)->VELTRIN_FASTEST(7);
BENCHMARK(BM_PlainTexts)->Iterations(20)->VELTRIN_FASTEST(7);

}  // namespace

int main(int argc, char** argv) {
    items();
    auto times = bench::runAll(argc, argv);
    auto t = [&](const std::string& name) { return times[name]; };
    const bool ok = bench::reportTarget("events tick 10000 rows vs plain texts",
                                        t("BM_Tick/iterations:20/repeats:7/manual_time_min") /
                                            t("BM_PlainTexts/iterations:20/repeats:7/manual_time_min"),
                                        3.0);
    return ok ? 0 : 1;
}
