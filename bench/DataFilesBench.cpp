// Storing and loading the events, contacts and diary files through the
// program's own serialize routines, against plain buffered stdio writing and
// reading the same bytes field by field in the same run; and the memory a
// loaded file holds against its size.
//
// The data folder lives on tmpfs, where fsync returns at once: the flush to
// disk is left out of both sides, while every step of the program's safe
// store (temporary file, permissions, rename) stays in.
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "PlainStdio.h"
#include "SampleData.h"
#include "Target.h"
#include "contacts/ContactRecords.h"
#include "documents/DocumentRecords.h"
#include "events/EventRecords.h"
#include "platform/ModuleFolder.h"
#include "storage/DataFile.h"

using namespace veltrin;
namespace fs = std::filesystem;

namespace {

constexpr int kEvents = 100000;
constexpr int kContacts = 100000;
constexpr int kDiaryPages = 5000;
constexpr std::size_t kDiaryPageBytes = 20 * 1024;

// Memory a load may hold whatever the file's size: the archive's buffer, the
// path and message texts and the allocator's own bookkeeping come to a few
// kilobytes; 1 MiB leaves room for that and is under 2% of every file here,
// so it cannot hide a per-record cost.
constexpr double kMemoryBase = 1 << 20;

using bench::BenchFolder;

BenchFolder& folder() {
    static BenchFolder f(true);
    return f;
}

// ---- plain stdio, field by field ------------------------------------------

struct PlainWriter {
    std::FILE* f;
    void operator()(std::int32_t& v) { std::fwrite(&v, 4, 1, f); }
    void operator()(std::string& s) { bench::plainWriteString(f, s); }
    void operator()(ContactFieldTexts& t) {
        for (int i = 0; i < kContactFieldCount; ++i) bench::plainWriteString(f, t[i]);
    }
    std::int32_t count(std::size_t n) {
        std::int32_t c = static_cast<std::int32_t>(n);
        (*this)(c);
        return c;
    }
    static constexpr bool kStoring = true;
};

struct PlainReader {
    std::FILE* f;
    void operator()(std::int32_t& v) { std::fread(&v, 4, 1, f); }
    void operator()(std::string& s) { bench::plainReadString(f, s); }
    void operator()(ContactFieldTexts& t) {
        std::string s;
        for (int i = 0; i < kContactFieldCount; ++i) {
            (*this)(s);
            t.set(i, s);
        }
    }
    std::int32_t count(std::size_t) {
        std::int32_t c = 0;
        (*this)(c);
        return c;
    }
    static constexpr bool kStoring = false;
};

template <class IO>
void fields(IO& io, EventGroup& g) {
    io(g.levelStep), io(g.name), io(g.iconIndex), io(g.bold), io(g.isCurrent), io(g.groupId);
}

template <class IO>
void fields(IO& io, EventItem& e) {
    EventDetails& d = e.details;
    EventSchedule& s = d.schedule;
    io(e.actual), io(e.name), io(e.iconIndex), io(e.bold), io(e.isCurrent), io(e.priority);
    io(d.groupId), io(d.eventId), io(d.comment), io(d.playSound), io(d.showMessage), io(d.runFile);
    io(d.filePath), io(s.kind), io(s.eventTime), io(s.minutesAfterHour), io(s.dayOfMonth);
    io(s.annualDay), io(s.annualMonth), io(s.whichDays), io(s.customDays), io(s.weekday);
    io(s.nextDue), io(s.lastCheck);
}

template <class IO>
void fields(IO& io, ContactGroup& g) {
    io(g.levelStep), io(g.name), io(g.iconIndex), io(g.bold), io(g.isCurrent), io(g.collapsed);
    io(g.groupId);
}

template <class IO>
void fields(IO& io, ContactItem& c) {
    io(c.groupId);
    io(c.fields);
    io(c.isCurrent);
}

template <class IO>
void fields(IO& io, DiaryPage& p) {
    io(p.title), io(p.html), io(p.date), io(p.isCurrent);
}

template <class IO, class Record>
void records(IO& io, std::vector<Record>& v) {
    const std::int32_t n = io.count(v.size());
    if constexpr (IO::kStoring) {
        for (Record& r : v) fields(io, r);
        return;
    }
    v.reserve(v.size() + static_cast<std::size_t>(std::max(n, 0)));
    for (std::int32_t i = 0; i < n; ++i) {
        Record r;
        fields(io, r);
        v.push_back(std::move(r));
    }
}

template <class IO>
void body(IO& io, EventStore& s) {
    records(io, s.groups);
    records(io, s.events);
}
template <class IO>
void body(IO& io, ContactStore& s) {
    records(io, s.groups);
    records(io, s.contacts);
}
template <class IO>
void body(IO& io, DiaryTable& t) {
    records(io, t);
}

// The header every data file starts with, then the body.
template <class IO, class Store>
void plainFile(IO& io, const DataFileKind& kind, Store& store) {
    std::int32_t version = static_cast<std::int32_t>(SharedVersion());
    std::string signature = kind.signature;
    io(version), io(signature);
    body(io, store);
}

// ---- the three files ------------------------------------------------------

bool serialize(EventStore& s, bool storing) { return SerializeEventsFile(s, storing); }
bool serialize(ContactStore& s, bool storing) { return SerializeContactsFile(s, storing); }
bool serialize(DiaryTable& t, bool storing) { return SerializeDiaryFile(t, storing); }

std::size_t recordCount(const EventStore& s) { return s.groups.size() + s.events.size(); }
std::size_t recordCount(const ContactStore& s) { return s.groups.size() + s.contacts.size(); }
std::size_t recordCount(const DiaryTable& t) { return t.size(); }

template <class Store>
struct FileCase {
    const char* label;
    const DataFileKind& kind;
    Store data;
};

FileCase<EventStore>& events() {
    static FileCase<EventStore> c{"100000 events", kEventsFile, bench::makeEvents(kEvents)};
    return c;
}
FileCase<ContactStore>& contacts() {
    static FileCase<ContactStore> c{"100000 contacts", kContactsFile, bench::makeContacts(kContacts)};
    return c;
}
FileCase<DiaryTable>& diary() {
    static FileCase<DiaryTable> c{"5000 diary pages of 20 KB", kDiaryFile,
                                  bench::makeDiary(kDiaryPages, kDiaryPageBytes)};
    return c;
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::FILE* openPlain(const char* mode) {
    std::FILE* f = std::fopen(folder().plainPath().c_str(), mode);
    if (!f) {
        std::perror("plain file");
        std::exit(1);
    }
    std::setvbuf(f, nullptr, _IOFBF, Archive::kBufferSize);
    return f;
}

template <class Store>
void plainWrite(FileCase<Store>& c) {
    std::FILE* f = openPlain("wb");
    PlainWriter w{f};
    plainFile(w, c.kind, c.data);
    std::fclose(f);
}

template <class Store>
void plainRead(FileCase<Store>& c, Store& into) {
    std::FILE* f = openPlain("rb");
    PlainReader r{f};
    plainFile(r, c.kind, into);
    std::fclose(f);
}

// Both sides must move the same bytes, or the comparison says nothing.
template <class Store>
void checkSameBytes(FileCase<Store>& c) {
    // Twice, so that the day's backup copy is made before anything is timed.
    if (!serialize(c.data, true)) std::exit(1);
    ForgetStoredDigests();
    if (!serialize(c.data, true)) std::exit(1);
    plainWrite(c);
    const std::string program = fileBytes(DataFilePath(c.kind.fileName));
    if (program != fileBytes(folder().plainPath())) {
        std::fprintf(stderr, "%s: the plain writer does not write the program's bytes\n", c.label);
        std::exit(1);
    }
    Store loaded, plain;
    if (!serialize(loaded, false)) std::exit(1);
    plainRead(c, plain);
    if (recordCount(loaded) != recordCount(c.data) || recordCount(plain) != recordCount(c.data)) {
        std::fprintf(stderr, "%s: a load did not give back every record\n", c.label);
        std::exit(1);
    }
    std::printf("%s: %zu bytes\n", c.label, program.size());
}

// A loaded store is dropped outside the timed part on both sides.
template <class Store, class Load>
void timeLoads(benchmark::State& state, Load load) {
    for (auto _ : state) {
        Store s;
        if (!load(s)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(recordCount(s));
        state.PauseTiming();
        { Store gone = std::move(s); }
        state.ResumeTiming();
    }
}

template <class Store>
void registerCase(FileCase<Store>& c) {
    const std::string name = c.label;
    auto shape = [](benchmark::internal::Benchmark* b) {
        // The fastest of several runs: the machine is shared.
        b->Repetitions(5)
            ->ComputeStatistics("min", bench::fastest)
            ->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMillisecond);
    };
    shape(benchmark::RegisterBenchmark((name + " store").c_str(), [&c](benchmark::State& state) {
        // Every store writes, though the records are the same each time.
        for (auto _ : state) {
            ForgetStoredDigests();
            if (!serialize(c.data, true)) state.SkipWithError("store failed");
        }
    }));
    shape(benchmark::RegisterBenchmark((name + " plain write").c_str(), [&c](benchmark::State& state) {
        for (auto _ : state) plainWrite(c);
    }));
    shape(benchmark::RegisterBenchmark((name + " load").c_str(), [](benchmark::State& state) {
        timeLoads<Store>(state, [](Store& s) { return serialize(s, false); });
    }));
    shape(benchmark::RegisterBenchmark((name + " plain read").c_str(), [&c](benchmark::State& state) {
        timeLoads<Store>(state, [&c](Store& s) {
            plainRead(c, s);
            return true;
        });
    }));
}

// ---- memory held while loaded ---------------------------------------------

double heapInUse() {
    const struct mallinfo2 m = ::mallinfo2();
    return static_cast<double>(m.uordblks + m.hblkhd);
}

template <class Store>
bool reportMemory(FileCase<Store>& c) {
    const double size = static_cast<double>(fs::file_size(DataFilePath(c.kind.fileName)));
    double held = 0;
    {
        const double before = heapInUse();
        Store s;
        if (!serialize(s, false)) return false;
        held = heapInUse() - before;
    }
    std::printf("%s: %.0f bytes held for a file of %.0f bytes\n", c.label, held, size);
    return bench::reportTarget(std::string(c.label) + " memory held vs 3x file size + 1 MiB",
                               held / (3 * size + kMemoryBase), 1.0);
}

template <class Store>
bool reportSpeed(std::map<std::string, double>& t, FileCase<Store>& c) {
    const std::string name = c.label;
    auto best = [&t](const std::string& run) { return bench::bestTime(t, run); };
    bool ok = bench::reportTarget(name + " store vs plain write",
                                  best(name + " store") / best(name + " plain write"), 2.0);
    ok = bench::reportTarget(name + " load vs plain read", best(name + " load") / best(name + " plain read"),
                             2.0) &&
         ok;
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (!folder().onTmpfs)
        std::printf("note: %s is not on tmpfs, so the program's stores include fsync\n",
                    folder().root.c_str());
    checkSameBytes(events());
    checkSameBytes(contacts());
    checkSameBytes(diary());
    registerCase(events());
    registerCase(contacts());
    registerCase(diary());
    auto t = bench::runAll(argc, argv);
    bool ok = reportSpeed(t, events());
    ok = reportSpeed(t, contacts()) && ok;
    ok = reportSpeed(t, diary()) && ok;
    ok = reportMemory(events()) && ok;
    ok = reportMemory(contacts()) && ok;
    ok = reportMemory(diary()) && ok;
    return ok ? 0 : 1;
}
