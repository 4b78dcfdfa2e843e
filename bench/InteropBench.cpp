// Exporting and importing a large address book and calendar, against
// storing and loading the same records as the program's data files in the
// same run.
#include <libical/ical.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
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
    // Not targets: how much of the events' export and import is libical's own
    // work on the same calendar, for the breakdown in docs/interop.md.
    Shape(benchmark::RegisterBenchmark("events import: libical parse and free", [](benchmark::State& state) {
        for (auto _ : state) {
            icalcomponent* root = icalparser_parse_string(ReadAll(Path("events.ics")).c_str());
            if (!root) state.SkipWithError("parse failed");
            icalcomponent_free(root);
        }
    }));
    Shape(benchmark::RegisterBenchmark("events export: libical writing", [](benchmark::State& state) {
        // The exported events, parsed once; only their writing is timed.
        icalcomponent* root = icalparser_parse_string(ReadAll(Path("events.ics")).c_str());
        for (auto _ : state) {
            std::size_t size = 0;
            for (icalcomponent* c = icalcomponent_get_first_component(root, ICAL_VEVENT_COMPONENT); c;
                 c = icalcomponent_get_next_component(root, ICAL_VEVENT_COMPONENT)) {
                char* text = icalcomponent_as_ical_string_r(c);
                size += std::strlen(text);
                std::free(text);
            }
            benchmark::DoNotOptimize(size);
        }
        icalcomponent_free(root);
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
    std::map<std::string, double> cpu;
    const auto t = bench::runAll(argc, argv, &cpu);
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
    // In CPU time: a share of one run in another is only meaningful without
    // the machine's other work in both.
    auto cpuOf = [&cpu](const char* run) { return bench::bestTime(cpu, run); };
    std::printf("breakdown: contacts import %.1f ms CPU, load %.1f ms CPU (%.2f times)\n",
                cpuOf("contacts import"), cpuOf("contacts load"),
                cpuOf("contacts import") / cpuOf("contacts load"));
    const double import = cpuOf("events import"), parse = cpuOf("events import: libical parse and free");
    std::printf(
        "breakdown: events import %.1f ms CPU, of it libical parse and free %.1f ms (%.0f%%), the rest "
        "%.1f ms (%.1f times a load)\n",
        import, parse, 100 * parse / import, import - parse, (import - parse) / cpuOf("events load"));
    const double exported = cpuOf("events export"), write = cpuOf("events export: libical writing");
    std::printf(
        "breakdown: events export %.1f ms CPU, of it libical writing %.1f ms (%.0f%%), the rest %.1f ms "
        "(%.1f times a store)\n",
        exported, write, 100 * write / exported, exported - write,
        (exported - write) / cpuOf("events store"));
    return ok ? 0 : 1;
}
