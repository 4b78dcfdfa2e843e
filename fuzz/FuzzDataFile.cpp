// Feeds arbitrary bytes to one data file's reader, the way a damaged or
// foreign file would reach it, and builds the view's tree from what was read.
// Built once per file kind (VELTRIN_FUZZ_KIND).
#include <cstdint>
#include <cstdio>
#include <string>

#include "contacts/ContactTrees.h"
#include "documents/DocumentTrees.h"
#include "events/EventTrees.h"
#include "settings/AppSettings.h"
#include "storage/DataFile.h"

using namespace veltrin;

namespace {

LoadResult load(std::FILE* f, std::uint64_t size, const char* signature, const ArchiveBody& body) {
    std::uint32_t version = 0;
    return LoadArchive(f, size, signature, version, body);
}

void fuzzOne(std::FILE* f, std::uint64_t size) {
#if VELTRIN_FUZZ_KIND == 0
    AppSettings s;
    load(f, size, kSettingsFile.signature, [&s](Archive& ar) { s.Transfer(ar); });
#elif VELTRIN_FUZZ_KIND == 1
    DiaryTable table;
    load(f, size, kDiaryFile.signature, [&table](Archive& ar) { TransferRecords(ar, table); });
    GroupTreeModel list;
    list.InsertColumn(0, "Pages", ColumnAlign::Left, 100);
    FillDiaryTable(list, BuildDiaryList(list, table), table);
#elif VELTRIN_FUZZ_KIND == 2
    NoteTable table;
    load(f, size, kNotesFile.signature, [&table](Archive& ar) { TransferRecords(ar, table); });
    GroupTreeModel tree;
    tree.InsertColumn(0, "Notes", ColumnAlign::Left, 100);
    FillNoteTable(tree, BuildNotesTree(tree, table), table);
#elif VELTRIN_FUZZ_KIND == 3
    EventStore store;
    load(f, size, kEventsFile.signature, [&store](Archive& ar) { TransferEventStore(ar, store); });
    GroupTreeModel groups, list;
    groups.InsertColumn(0, "Groups", ColumnAlign::Left, 100);
    for (const char* c : {"Event Name", "Time", "Left", "Priority"})
        list.InsertColumn(list.ColumnCount(), c, ColumnAlign::Left, 100);
    const NodeHandle current = BuildEventGroupTree(groups, store.groups);
    if (current != kNoNode) groups.SelectItem(current, 0);
    const std::int32_t id = current != kNoNode ? groups.GetGroupId(current) : 0;
    TakeEventsIntoList(
        store, list, [id](const EventItem& e) { return e.details.groupId == id; }, -1, -1);
    HandBackEventRows(store, list, &id, true, true);
    FillEventGroups(groups, store.groups);
#elif VELTRIN_FUZZ_KIND == 4
    ContactStore store;
    load(f, size, kContactsFile.signature, [&store](Archive& ar) { TransferContactStore(ar, store); });
    GroupTreeModel groups, list;
    groups.InsertColumn(0, "Groups", ColumnAlign::Left, 100);
    list.InsertColumn(0, "Name", ColumnAlign::Left, 100);
    const NodeHandle current = BuildContactGroupTree(groups, store.groups);
    const std::int32_t id = current != kNoNode ? groups.GetContactGroupId(current) : 0;
    TakeContactsIntoList(store, list, id, -1);
    HandBackContactRows(store, list, id, true);
    FillContactGroups(groups, store.groups);
#endif
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    bytes.push_back('\0');  // fmemopen wants a non-empty buffer
    std::FILE* f = fmemopen(bytes.data(), bytes.size(), "rb");
    if (!f) return 0;
    fuzzOne(f, size);
    std::fclose(f);
    return 0;
}
