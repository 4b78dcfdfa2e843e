// The cost of the next due time against one C library mktime call in the same
// run, and the sun times of every town on every day of a year.
#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>

#include "Target.h"
#include "base/LocalTime.h"
#include "events/Schedule.h"
#include "today/CityTable.h"
#include "today/SunTimes.h"

using namespace veltrin;

namespace {

constexpr int kRows = 10000;
constexpr std::int64_t kStart = 1733011200;  // 2024-12-01 00:00 UT

// A list of events as a user's file may hold them: every kind, times of day
// spread over the day and creation dates spread over five years.
const std::vector<EventSchedule>& Schedules() {
    static const std::vector<EventSchedule> rows = [] {
        std::mt19937 random(7);
        std::vector<EventSchedule> v(kRows);
        for (int i = 0; i < kRows; ++i) {
            EventSchedule& s = v[static_cast<std::size_t>(i)];
            s.kind = i % 6;
            s.eventTime = static_cast<std::int32_t>(kStart - 5 * 365 * 86400 + random() % (6 * 365 * 86400));
            s.minutesAfterHour = static_cast<std::int32_t>(random() % 60);
            s.dayOfMonth = static_cast<std::int32_t>(1 + random() % 31);
            s.annualDay = static_cast<std::int32_t>(1 + random() % 31);
            s.annualMonth = static_cast<std::int32_t>(random() % 12);
            s.whichDays = static_cast<std::int32_t>(random() % 4);
            s.customDays = i % 3 ? "46" : "7";
            s.weekday = static_cast<std::int32_t>(1 + random() % 7);
        }
        return v;
    }();
    return rows;
}

// The same kind of fields the schedules build: days of the coming weeks at
// assorted times.
std::vector<std::tm> CalendarFields() {
    std::vector<std::tm> fields(kRows);
    std::mt19937 random(11);
    for (std::tm& tm : fields) {
        tm = {};
        tm.tm_year = 124;
        tm.tm_mon = 11;
        tm.tm_mday = static_cast<int>(1 + random() % 60);
        tm.tm_hour = static_cast<int>(random() % 24);
        tm.tm_min = static_cast<int>(random() % 60);
        tm.tm_isdst = -1;
    }
    return fields;
}

void BM_Mktime(benchmark::State& state) {
    const std::vector<std::tm> fields = CalendarFields();
    std::size_t i = 0;
    for (auto _ : state) {
        std::tm tm = fields[i++ % fields.size()];
        benchmark::DoNotOptimize(std::mktime(&tm));
    }
}

// A view refresh: every row once per tick, the clock a second further each time.
void BM_NextOccurrence(benchmark::State& state) {
    const std::vector<EventSchedule>& rows = Schedules();
    std::int64_t now = kStart + 9 * 3600;
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(NextOccurrence(rows[i], now));
        if (++i == rows.size()) {
            i = 0;
            ++now;
        }
    }
}

void BM_SunTimesAllTownsAllDays(benchmark::State& state) {
    const CityTable table = BuiltInCityTable();
    const std::int64_t first = DaysFromCivil(2024, 1, 1);
    for (auto _ : state) {
        for (const CityInfo& town : table.rows())
            for (int d = 0; d < 366; ++d)
                benchmark::DoNotOptimize(ComputeSunTimes(town, CivilFromDays(first + d)));
    }
    state.SetItemsProcessed(state.iterations() * table.count() * 366);
}

BENCHMARK(BM_Mktime);
BENCHMARK(BM_NextOccurrence);
BENCHMARK(BM_SunTimesAllTownsAllDays)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // A zone with daylight saving, as most users have, for both sides.
    setenv("TZ", "America/New_York", 1);
    tzset();
    auto t = veltrin::bench::runAll(argc, argv);
    const bool ok = veltrin::bench::reportTarget("next occurrence vs one mktime",
                                                 t["BM_NextOccurrence"] / t["BM_Mktime"], 4.0);
    return ok ? 0 : 1;
}
