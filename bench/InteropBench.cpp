// Exporting and importing a large address book and calendar, against
// storing and loading the same records as the program's data files in the
// same run.
#include <cstdio>
#include <string>

#include "SampleData.h"
#include "Target.h"
#include "contacts/ContactRecords.h"
#include "events/EventRecords.h"
#include "interop/ContactCards.h"
#include "interop/ICalendar.h"
#include "platform/ModuleFolder.h"
#include "storage/DataFile.h"
#include "storage/SafeFile.h"

using namespace veltrin;

namespace {

constexpr int kContacts = 50000;
constexpr int kEvents = 10000;
constexpr std::int64_t kNow = 1'796'601'600;

bench::BenchFolder& folder() {
    static bench::BenchFolder f(true);
    return f;
}

const ContactStore& contacts() {
    static const ContactStore s = bench::makeContacts(kContacts);
    return s;
}
const EventStore& events() {
    static const EventStore s = bench::makeEvents(kEvents);
    return s;
}

std::string Path(const char* name) { return (folder().root / name).string(); }

bool WriteAll(const std::string& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

// Read as the program reads a file to import.
std::string ReadAll(const std::string& path) {
    std::string text, why;
    ReadWholeFile(path, text, why);
    return text;
}

void Shape(benchmark::internal::Benchmark* b) {
    // The fastest of several runs: the machine is shared.
    b->Repetitions(3)
        ->ComputeStatistics("min", bench::fastest)
        ->ReportAggregatesOnly(true)
        ->Unit(benchmark::kMillisecond);
}

void Register() {
    Shape(benchmark::RegisterBenchmark("contacts store", [](benchmark::State& state) {
        ContactStore s = contacts();
        for (auto _ : state) {
            ForgetStoredDigests();
            if (!SerializeContactsFile(s, true)) state.SkipWithError("store failed");
        }
    }));
    Shape(benchmark::RegisterBenchmark("contacts export", [](benchmark::State& state) {
        for (auto _ : state)
            if (!WriteAll(Path("contacts.vcf"), ContactsToVCard(contacts())))
                state.SkipWithError("export failed");
    }));
    Shape(benchmark::RegisterBenchmark("contacts load", [](benchmark::State& state) {
        for (auto _ : state) {
            ContactStore s;
            if (!SerializeContactsFile(s, false)) state.SkipWithError("load failed");
            benchmark::DoNotOptimize(s.contacts.size());
        }
    }));
    Shape(benchmark::RegisterBenchmark("contacts import", [](benchmark::State& state) {
        for (auto _ : state) {
            ContactStore s;
            ImportVCard(s, ReadAll(Path("contacts.vcf")), "Imported");
            benchmark::DoNotOptimize(s.contacts.size());
        }
    }));
    Shape(benchmark::RegisterBenchmark("events store", [](benchmark::State& state) {
        EventStore s = events();
        for (auto _ : state) {
            ForgetStoredDigests();
            if (!SerializeEventsFile(s, true)) state.SkipWithError("store failed");
        }
    }));
    Shape(benchmark::RegisterBenchmark("events export", [](benchmark::State& state) {
        for (auto _ : state)
            if (!WriteAll(Path("events.ics"), EventsToICalendar(events(), "", kNow)))
                state.SkipWithError("export failed");
    }));
    Shape(benchmark::RegisterBenchmark("events load", [](benchmark::State& state) {
        for (auto _ : state) {
            EventStore s;
            if (!SerializeEventsFile(s, false)) state.SkipWithError("load failed");
            benchmark::DoNotOptimize(s.events.size());
        }
    }));
    Shape(benchmark::RegisterBenchmark("events import", [](benchmark::State& state) {
        for (auto _ : state) {
            EventStore s;
            DiaryTable diary;
            NoteTable notes;
            ImportICalendar(ReadAll(Path("events.ics")), s, diary, notes, "Imported", kNow);
            benchmark::DoNotOptimize(s.events.size());
        }
    }));
}

}  // namespace

int main(int argc, char** argv) {
    folder();
    // The files the loads and imports read, written once before anything is timed.
    ContactStore c = contacts();
    EventStore e = events();
    if (!SerializeContactsFile(c, true) || !SerializeEventsFile(e, true) ||
        !WriteAll(Path("contacts.vcf"), ContactsToVCard(c)) ||
        !WriteAll(Path("events.ics"), EventsToICalendar(e, "", kNow)))
        return 1;
    Register();
    const auto t = bench::runAll(argc, argv);
    auto best = [&t](const char* run) { return bench::bestTime(t, run); };
    bool ok = bench::reportTarget("export 50000 contacts vs store",
                                  best("contacts export") / best("contacts store"), 2.0);
    ok = bench::reportTarget("import 50000 contacts vs load", best("contacts import") / best("contacts load"),
                             2.0) &&
         ok;
    ok = bench::reportTarget("export 10000 events vs store", best("events export") / best("events store"),
                             2.0) &&
         ok;
    ok = bench::reportTarget("import 10000 events vs load", best("events import") / best("events load"),
                             2.0) &&
         ok;
    return ok ? 0 : 1;
}
