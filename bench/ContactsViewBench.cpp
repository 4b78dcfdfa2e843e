// Showing a large contact group in the Contacts view's list, and switching
// back to a small one, against building the same cell texts in plain C++.
#include <malloc.h>

#include <algorithm>
#include <climits>
#include <ctime>
#include <string>
#include <vector>

#include "Target.h"
#include "contacts/ContactTrees.h"

using namespace veltrin;

namespace {

constexpr int kBig = 50000;
constexpr std::int32_t kBigGroup = 1, kSmallGroup = 2;

// An address book as people fill it: names, mail, a phone or two, a note.
ContactStore book() {
    ContactStore s;
    auto add = [&s](std::int32_t group, int n) {
        ContactItem c;
        c.groupId = group;
        const std::string id = std::to_string(n);
        c.fields.set(ContactFieldRecordIndex("First Name"), "First" + id);
        c.fields.set(ContactFieldRecordIndex("Last Name"), "Lastname" + id);
        c.fields.set(ContactFieldRecordIndex("Name"), "First" + id + " Lastname" + id);
        c.fields.set(ContactFieldRecordIndex("E-mail Address"), "person" + id + "@example.org");
        c.fields.set(ContactFieldRecordIndex("Home Phone"), "+1 555 01" + id);
        c.fields.set(ContactFieldRecordIndex("Cellular"), "+1 555 02" + id);
        c.fields.set(ContactFieldRecordIndex("Company"), "Company " + std::to_string(n % 97));
        c.fields.set(ContactFieldRecordIndex("Notes"), "Met at the conference, call back about item " + id);
        s.contacts.push_back(std::move(c));
    };
    for (int n = 0; n < kBig; ++n) add(kBigGroup, n);
    for (int n = 0; n < 20; ++n) add(kSmallGroup, n);
    return s;
}

const ContactStore& source() {
    static const ContactStore s = book();
    return s;
}

void defaultColumns(GroupTreeModel& list) {
    list.SetTreeColumn(-1);
    BuildContactColumns(list, DefaultContactColumns());
}

// The list takes the big group: the records move into rows and every cell
// gets its field's text.
void BM_ShowBigGroup(benchmark::State& state) {
    for (auto _ : state) {
        ContactStore store = source();
        auto list = std::make_unique<GroupTreeModel>();
        defaultColumns(*list);
        const int style = list->AddCellStyle(kStyleEditable);
        const double start = bench::threadSeconds();
        benchmark::DoNotOptimize(TakeContactsIntoList(store, *list, kBigGroup, style));
        state.SetIterationTime(bench::threadSeconds() - start);
    }
}

// Back to the small group: the big group's rows go back to the array and
// the small group's come in.
void BM_SwitchBack(benchmark::State& state) {
    for (auto _ : state) {
        ContactStore store = source();
        auto list = std::make_unique<GroupTreeModel>();
        defaultColumns(*list);
        const int style = list->AddCellStyle(kStyleEditable);
        TakeContactsIntoList(store, *list, kBigGroup, style);
        const double start = bench::threadSeconds();
        HandBackContactRows(store, *list, kBigGroup, true);
        benchmark::DoNotOptimize(TakeContactsIntoList(store, *list, kSmallGroup, style));
        state.SetIterationTime(bench::threadSeconds() - start);
    }
}

// The same cell texts for the big group, in plain vectors of strings.
void BM_PlainCells(benchmark::State& state) {
    std::vector<int> fieldOfColumn;
    for (const ContactColumn& c : DefaultContactColumns())
        fieldOfColumn.push_back(ContactFieldRecordIndex(c.name));
    for (auto _ : state) {
        const ContactStore& store = source();
        const double start = bench::threadSeconds();
        std::vector<std::vector<std::string>> rows;
        rows.reserve(kBig);
        for (const ContactItem& c : store.contacts) {
            if (c.groupId != kBigGroup) continue;
            std::vector<std::string> cells;
            cells.reserve(fieldOfColumn.size());
            for (int f : fieldOfColumn) cells.emplace_back(c.fields[static_cast<std::size_t>(f)]);
            rows.push_back(std::move(cells));
        }
        benchmark::DoNotOptimize(rows.data());
        state.SetIterationTime(bench::threadSeconds() - start);
    }
}

BENCHMARK(BM_ShowBigGroup)->Iterations(3)->VELTRIN_FASTEST(5);
BENCHMARK(BM_SwitchBack)->Iterations(3)->VELTRIN_FASTEST(5);
BENCHMARK(BM_PlainCells)->Iterations(3)->VELTRIN_FASTEST(5);

}  // namespace

int main(int argc, char** argv) {
    // Memory freed by one iteration stays with the process for the next, on
    // both sides alike. Otherwise whether an iteration starts by faulting
    // tens of megabytes back in depends on whether the last teardown left a
    // block at the top of the heap, which decides the ratio more than the
    // work measured does.
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
    source();
    auto times = bench::runAll(argc, argv);
    auto t = [&](const std::string& name) { return times[name + "/iterations:3/repeats:5/manual_time_min"]; };
    bool ok = bench::reportTarget("show contacts group of 50000 vs plain cells",
                                  t("BM_ShowBigGroup") / t("BM_PlainCells"), 3.0);
    ok = bench::reportTarget("show contacts group switching back to a small one vs plain cells",
                             t("BM_SwitchBack") / t("BM_PlainCells"), 3.0) &&
         ok;
    return ok ? 0 : 1;
}
