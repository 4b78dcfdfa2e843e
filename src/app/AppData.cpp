#include "app/AppData.h"

#include <filesystem>
#include <string>
#include <utility>

#include "platform/ModuleFolder.h"
#include "storage/DataFile.h"

namespace veltrin {

namespace {

// The record files in start-up order, each with what its records go into.
std::array<RecordsReadAhead::RecordFile, 4> RecordFilesOf(AppData& data) {
    return {{{&kDiaryFile, [&data](Archive& ar) { TransferRecords(ar, data.diary); }},
             {&kNotesFile, [&data](Archive& ar) { TransferRecords(ar, data.notes); }},
             {&kEventsFile, [&data](Archive& ar) { TransferEventStore(ar, data.events); }},
             {&kContactsFile, [&data](Archive& ar) { TransferContactStore(ar, data.contacts); }}}};
}

}  // namespace

RecordsReadAhead::RecordsReadAhead(AppData& data, std::function<void()> beforeReading)
    : data_(data), files_(RecordFilesOf(data)) {
    // The paths are made here: the data folder is the caller's to read.
    std::array<std::string, 4> paths;
    for (std::size_t i = 0; i < paths.size(); ++i) paths[i] = DataFilePath(files_[i].kind->fileName);
    // Two threads, as a machine has at least two cores: the largest file on
    // one, the others on the other. Each file's records go only where its
    // own reader puts them.
    std::size_t largest = 0;
    std::uintmax_t largestSize = 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(paths[i], error);
        if (!error && size > largestSize) {
            largest = i;
            largestSize = size;
        }
    }
    for (std::size_t t = 0; t < threads_.size(); ++t)
        threads_[t] = std::thread([this, paths, beforeReading, largest, alone = t == 0] {
            std::exception_ptr failure;
            try {
                if (beforeReading) beforeReading();
                for (std::size_t i = 0; i < files_.size(); ++i)
                    if ((i == largest) == alone)
                        reads_[i] = ReadDataFile(paths[i], *files_[i].kind, files_[i].body);
            } catch (...) {
                failure = std::current_exception();
            }
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (failure && !failure_) failure_ = failure;
                ++threadsDone_;
            }
            readDone_.notify_all();
        });
}

RecordsReadAhead::~RecordsReadAhead() {
    for (std::thread& t : threads_)
        if (t.joinable()) t.join();
}

bool RecordsReadAhead::AllRead() {
    std::lock_guard<std::mutex> lock(mutex_);
    return threadsDone_ == threads_.size();
}

void RecordsReadAhead::Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    readDone_.wait(lock, [this] { return threadsDone_ == threads_.size(); });
}

void RecordsReadAhead::Finish(bool firstStart, const std::function<void()>& whileReading) {
    if (whileReading && !AllRead()) whileReading();
    Wait();
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    SetAbsentFilesExpected(firstStart);
    SerializeSettings(data_.settings, false);
    for (std::size_t i = 0; i < files_.size(); ++i)
        if (!FinishDataFileLoad(*files_[i].kind, reads_[i]))
            data_.filesNotWhole.push_back(files_[i].kind->fileName);
    SetAbsentFilesExpected(false);
}

void LoadAll(AppData& data, bool firstStart) {
    RecordsReadAhead ahead(data);
    ahead.Finish(firstStart);
}

bool SaveAll(AppData& data, const ViewStates& views) {
    const int current = data.settings.currentView;
    bool ok = SaveEventsFromTodayView(data.events, current, views.events);
    ok = SaveDiary(data.diary, views.diary) && ok;
    ok = SaveNotes(data.notes, views.notes) && ok;
    ok = SaveEventsFromEventsView(data.events, current, views.events) && ok;
    ok = SaveContacts(data.contacts, data.settings.contactColumns, views.contacts) && ok;
    return SerializeSettings(data.settings, true) && ok;
}

AppData GatherAll(const AppData& data, const ViewStates& views) {
    AppData now = data;
    GatherEvents(now.events, views.events);
    if (views.diary.list) FillDiaryTable(*views.diary.list, views.diary.currentPage, now.diary);
    if (views.notes.tree) FillNoteTable(*views.notes.tree, views.notes.currentNote, now.notes);
    GatherContacts(now.contacts, views.contacts);
    return now;
}

}  // namespace veltrin
