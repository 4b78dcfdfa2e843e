// One tick of an event list (every row's due test, "Time" and "Left" texts,
// redrawing held off) against working out the same texts for the same events
// held in plain vectors: what the list adds over the bare computation. The
// Events view's list and the Today view's list tick the same way; both are
// measured here on one set of events, against one baseline.
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "Target.h"
#include "events/Countdown.h"
#include "events/EventList.h"
#include "events/EventTrees.h"
#include "events/Schedule.h"
#include "platform/Platform.h"
#include "today/ComingEvents.h"
#include "tree/GroupTreeModel.h"

using namespace veltrin;

namespace {

constexpr int kRows = 10000;
constexpr std::int64_t kNow = 1717243200;  // 2024-06-01 12:00 UT
const CivilDate kSelected{2024, 6, 1};

class StillClock : public Clock {
public:
    std::int64_t now() const override { return kNow; }
};

// Every kind of schedule, all due again within the coming year and none
// during the run, a tenth of them unticked.
const EventStore& Store() {
    static const EventStore store = [] {
        std::mt19937 random(5);
        EventStore s;
        s.events.resize(kRows);
        for (int i = 0; i < kRows; ++i) {
            EventItem& e = s.events[static_cast<std::size_t>(i)];
            e.name = "event " + std::to_string(random() % 100000);
            e.actual = i % 10 ? 1 : 0;
            e.priority = static_cast<std::int32_t>(1 + random() % 10);
            EventSchedule& d = e.details.schedule;
            d.kind = i % 6;
            d.eventTime = static_cast<std::int32_t>(kNow + random() % (150 * 86400));
            d.minutesAfterHour = static_cast<std::int32_t>(random() % 60);
            d.dayOfMonth = static_cast<std::int32_t>(1 + random() % 28);
            d.annualDay = static_cast<std::int32_t>(1 + random() % 28);
            d.annualMonth = static_cast<std::int32_t>(6 + random() % 6);  // after June: within 2024
            d.whichDays = static_cast<std::int32_t>(random() % 3);
            d.weekday = static_cast<std::int32_t>(1 + random() % 7);
            d.nextDue = static_cast<std::int32_t>(kNow + 86400);
            d.lastCheck = static_cast<std::int32_t>(kNow);
        }
        return s;
    }();
    return store;
}

void TimeTicks(benchmark::State& state, GroupTreeModel& list, const EventTickContext& context) {
    for (auto _ : state) {
        const double start = bench::threadSeconds();
        TickEventList(list, context);
        benchmark::DoNotOptimize(list.RowCount());
        state.SetIterationTime(bench::threadSeconds() - start);
    }
}

// The Events view's list: the events of a group, added row by row.
void BM_EventsTick(benchmark::State& state) {
    GroupTreeModel list;
    EventTickContext context;
    context.styles = SetUpEventList(list);
    context.showSeconds = true;
    for (const EventItem& e : Store().events)
        AddEventRow(list, e, context.styles.name, context.styles.priority, kInsertLast);
    TickEventList(list, context);  // the texts of a filled list
    TimeTicks(state, list, context);
}

// The Today view's list: the coming events of a year.
void BM_TodayTick(benchmark::State& state) {
    EventStore store = Store();
    GroupTreeModel list;
    EventTickContext context;
    context.styles = SetUpEventList(list);
    context.showSeconds = true;
    FillAndUpdateComingEvents(store, list, kSelected, kPeriodYear, context, kNow);
    if (list.GetChildCount(kRootNode) != kRows) state.SkipWithError("not every row listed");
    TimeTicks(state, list, context);
}

// What a tick must produce at least: each row's two texts, in plain strings.
void BM_PlainTexts(benchmark::State& state) {
    std::vector<EventSchedule> schedules;
    std::vector<bool> actual;
    for (const EventItem& e : Store().events) {
        schedules.push_back(e.details.schedule);
        actual.push_back(e.actual != 0);
    }
    std::vector<std::pair<std::string, std::string>> texts(schedules.size());
    for (auto _ : state) {
        const double start = bench::threadSeconds();
        for (std::size_t i = 0; i < schedules.size(); ++i) {
            if (!actual[i]) {
                texts[i] = {kNotActualText, kNotActualText};
                continue;
            }
            const std::int64_t now = veltrin::clock().now();
            const std::int64_t next = NextOccurrence(schedules[i], now);
            texts[i].first = DueTimeText(next);
            texts[i].second = LeftText(next - now, true);
        }
        benchmark::DoNotOptimize(texts.data());
        state.SetIterationTime(bench::threadSeconds() - start);
    }
}

BENCHMARK(BM_EventsTick)->Iterations(20)->VELTRIN_FASTEST(7);
BENCHMARK(BM_TodayTick)->Iterations(20)->VELTRIN_FASTEST(7);
BENCHMARK(BM_PlainTexts)->Iterations(20)->VELTRIN_FASTEST(7);

}  // namespace

int main(int argc, char** argv) {
    setenv("TZ", "America/New_York", 1);
    tzset();
    StillClock still;
    setClock(&still);
    Store();
    const auto times = bench::runAll(argc, argv);
    // A run that measured nothing gives no ratio at all, never a good one.
    const auto ratio = [&](const char* run) {
        const double tick = bench::bestTime(times, run), plain = bench::bestTime(times, "BM_PlainTexts");
        return tick > 0 && plain > 0 ? tick / plain : 1e9;
    };
    bool ok = bench::reportTarget("events tick 10000 rows vs plain texts", ratio("BM_EventsTick"), 3.0);
    ok &= bench::reportTarget("today tick of 10000 rows vs plain texts", ratio("BM_TodayTick"), 3.0);
    setClock(nullptr);
    return ok ? 0 : 1;
}
