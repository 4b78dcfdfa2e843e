// One wake-up of the reminder engine (a pass over every event of the store
// and both lists, one of them due, then the next wake-up second) against one
// NextOccurrence for each of the same events: the engine must stay cheap
// enough to wake at every due second.
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "Target.h"
#include "events/EventList.h"
#include "events/EventTrees.h"
#include "events/ReminderEngine.h"
#include "events/Schedule.h"
#include "platform/Platform.h"
#include "tree/GroupTreeModel.h"

using namespace veltrin;

namespace {

constexpr int kEvents = 10000;
constexpr std::int64_t kNow = 1717243200;  // 2024-06-01 12:00 UT

class StillClock : public Clock {
public:
    std::int64_t now() const override { return kNow; }
};

// Every kind of schedule, pending a day ahead, a tenth of them unticked; in
// groups 0 to 9.
EventStore Store() {
    std::mt19937 random(7);
    EventStore s;
    s.events.resize(kEvents);
    for (int i = 0; i < kEvents; ++i) {
        EventItem& e = s.events[static_cast<std::size_t>(i)];
        e.name = "event " + std::to_string(i);
        e.actual = i % 10 ? 1 : 0;
        e.details.groupId = i % 10;
        EventSchedule& d = e.details.schedule;
        d.kind = i % 6;
        d.eventTime = static_cast<std::int32_t>(kNow + random() % (150 * 86400));
        d.minutesAfterHour = static_cast<std::int32_t>(random() % 60);
        d.dayOfMonth = static_cast<std::int32_t>(1 + random() % 28);
        d.annualDay = static_cast<std::int32_t>(1 + random() % 28);
        d.annualMonth = static_cast<std::int32_t>(6 + random() % 6);
        d.whichDays = static_cast<std::int32_t>(random() % 3);
        d.weekday = static_cast<std::int32_t>(1 + random() % 7);
        d.nextDue = static_cast<std::int32_t>(kNow + 86400);
        d.lastCheck = static_cast<std::int32_t>(kNow);
    }
    return s;
}

void BM_EngineWake(benchmark::State& state) {
    EventStore store = Store();
    GroupTreeModel today, events;
    const EventListStyles ts = SetUpEventList(today), es = SetUpEventList(events);
    // Today lists three groups, Events shows two; the rest stays in the store.
    TakeEventsIntoList(
        store, today, [](const EventItem& e) { return e.details.groupId < 3; }, ts.name, ts.priority);
    TakeEventsIntoList(
        store, events, [](const EventItem& e) { return e.details.groupId >= 8; }, es.name, es.priority);
    ReminderEngine engine(store);
    engine.SetLists(&today, &events);
    engine.WatchFrom(kNow - 60);
    EventSchedule& due = store.events[1].details.schedule;
    std::size_t fired = 0;
    for (auto _ : state) {
        due.nextDue = static_cast<std::int32_t>(kNow);
        due.lastCheck = static_cast<std::int32_t>(kNow - 1);
        const double start = bench::threadSeconds();
        fired += engine.Pass(kNow).size();
        benchmark::DoNotOptimize(engine.NextWake(kNow));
        state.SetIterationTime(bench::threadSeconds() - start);
    }
    if (fired != static_cast<std::size_t>(state.iterations()))
        state.SkipWithError("the due event did not fire once per wake-up");
}

void BM_NextOccurrencePass(benchmark::State& state) {
    std::vector<EventSchedule> schedules;
    for (const EventItem& e : Store().events) schedules.push_back(e.details.schedule);
    for (auto _ : state) {
        const double start = bench::threadSeconds();
        std::int64_t sum = 0;
        for (const EventSchedule& s : schedules) sum += NextOccurrence(s, kNow);
        benchmark::DoNotOptimize(sum);
        state.SetIterationTime(bench::threadSeconds() - start);
    }
}

BENCHMARK(BM_EngineWake)->Iterations(50)->VELTRIN_FASTEST(7);
BENCHMARK(BM_NextOccurrencePass)->Iterations(20)->VELTRIN_FASTEST(7);

}  // namespace

int main(int argc, char** argv) {
    setenv("TZ", "America/New_York", 1);
    tzset();
    StillClock still;
    setClock(&still);
    const auto times = bench::runAll(argc, argv);
    const double wake = bench::bestTime(times, "BM_EngineWake"),
                 pass = bench::bestTime(times, "BM_NextOccurrencePass");
    const bool ok = bench::reportTarget("reminder engine wake-up 10000 events vs one NextOccurrence pass",
                                        wake > 0 && pass > 0 ? wake / pass : 1e9, 2.0);
    setClock(nullptr);
    return ok ? 0 : 1;
}
