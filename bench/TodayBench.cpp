// Filling the Today view's list for "Year" with 10 000 events against the
// core fill alone. Its tick is measured beside the Events view's, in
// EventTickBench.
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "Target.h"
#include "events/Countdown.h"
#include "events/EventList.h"
#include "events/Schedule.h"
#include "platform/Platform.h"
#include "today/ComingEvents.h"

using namespace veltrin;

namespace {

constexpr int kRows = 10000;
constexpr std::int64_t kNow = 1717243200;  // 2024-06-01 12:00 UT

class StillClock : public Clock {
public:
    std::int64_t now() const override { return kNow; }
};

// Events of every repeating kind and single ones, all due again within 2024.
EventStore Store() {
    std::mt19937 random(5);
    EventStore store;
    store.events.resize(kRows);
    for (int i = 0; i < kRows; ++i) {
        EventItem& e = store.events[static_cast<std::size_t>(i)];
        e.name = "event " + std::to_string(random() % 100000);
        e.actual = i % 10 ? 1 : 0;
        e.priority = static_cast<std::int32_t>(1 + random() % 10);
        EventSchedule& s = e.details.schedule;
        s.kind = i % 5;  // Once, Hourly, Daily, Weekly, Monthly
        s.eventTime = static_cast<std::int32_t>(kNow + random() % (150 * 86400));
        s.minutesAfterHour = static_cast<std::int32_t>(random() % 60);
        s.dayOfMonth = static_cast<std::int32_t>(1 + random() % 28);
        s.whichDays = static_cast<std::int32_t>(random() % 3);
        s.weekday = static_cast<std::int32_t>(1 + random() % 7);
        s.nextDue = static_cast<std::int32_t>(kNow + 86400);
        s.lastCheck = static_cast<std::int32_t>(kNow);
    }
    return store;
}

const CivilDate kSelected{2024, 6, 1};

void BM_CoreFill(benchmark::State& state) {
    EventStore store = Store();
    GroupTreeModel list;
    const EventListStyles styles = SetUpEventList(list);
    for (auto _ : state) {
        FillComingEvents(store, list, kSelected, kPeriodYear, kNow, styles.name, styles.priority);
        state.PauseTiming();
        ReturnComingEvents(store, list, true);
        state.ResumeTiming();
    }
}

// The view's fill: the core fill and every new row's first update.
void BM_TodayFill(benchmark::State& state) {
    EventStore store = Store();
    GroupTreeModel list;
    EventTickContext context;
    context.styles = SetUpEventList(list);
    for (auto _ : state) {
        FillAndUpdateComingEvents(store, list, kSelected, kPeriodYear, context, kNow);
        state.PauseTiming();
        ReturnComingEvents(store, list, true);
        state.ResumeTiming();
    }
}

BENCHMARK(BM_CoreFill)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TodayFill)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("TZ", "America/New_York", 1);
    tzset();
    StillClock still;
    setClock(&still);
    auto t = veltrin::bench::runAll(argc, argv);
    const bool ok = veltrin::bench::reportTarget("today fill of 10000 rows for Year vs FillComingEvents",
                                                 t["BM_TodayFill"] / t["BM_CoreFill"], 3.0);
    setClock(nullptr);
    return ok ? 0 : 1;
}
