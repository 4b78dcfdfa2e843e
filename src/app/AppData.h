#pragma once

#include <array>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "contacts/ContactTrees.h"
#include "documents/DocumentTrees.h"
#include "events/EventTrees.h"
#include "settings/AppSettings.h"
#include "storage/DataFile.h"

namespace veltrin {

// Everything the program keeps for the whole run: the settings and the data
// stores. Filled at start, edited by the views, written back by SaveAll.
struct AppData {
    AppSettings settings;
    DiaryTable diary;
    NoteTable notes;
    EventStore events;
    ContactStore contacts;
    // The record files the start did not read whole ("Events.dat"): missing,
    // damaged or foreign. A sync leaves their kinds alone for the run.
    std::vector<std::string> filesNotWhole;
};

// Loads the five files in start-up order: Settings.dat, Diary.dat, Notes.dat,
// Events.dat, Contacts.dat. A failed load has shown its message and leaves
// what it read; the next file is loaded all the same. In a data folder the
// program has just made (firstStart), absent files are not reported.
void LoadAll(AppData& data, bool firstStart = false);

// LoadAll in two halves: the four record files are read on two threads of
// their own from construction, while the window system starts; Finish waits
// for them, loads the settings and finishes each load in LoadAll's order,
// with the same messages and the same result. Until Finish, nothing else may
// touch data. The data folder must be chosen before construction.
class RecordsReadAhead {
public:
    // beforeReading, if given, runs first on each reading thread.
    explicit RecordsReadAhead(AppData& data, std::function<void()> beforeReading = {});
    ~RecordsReadAhead();
    RecordsReadAhead(const RecordsReadAhead&) = delete;
    RecordsReadAhead& operator=(const RecordsReadAhead&) = delete;

    // whileReading, if given, runs on the calling thread first when the
    // files are still being read: work for a thread that would only wait.
    void Finish(bool firstStart, const std::function<void()>& whileReading = {});

    struct RecordFile {
        const DataFileKind* kind;
        ArchiveBody body;
    };

private:
    bool AllRead();
    void Wait();

    AppData& data_;
    const std::array<RecordFile, 4> files_;
    std::mutex mutex_;
    std::condition_variable readDone_;
    std::size_t threadsDone_ = 0;
    std::array<DataFileRead, 4> reads_;
    std::exception_ptr failure_;
    std::array<std::thread, 2> threads_;
};

// What the views hand to a save: their models, after each has taken in any
// edit in progress. The Today view fills events.todayList, the Events view
// the rest of events. A view that holds nothing leaves its part empty, and
// its store is written as loaded.
struct ViewStates {
    EventViews events;
    DiaryViews diary;
    NoteViews notes;
    ContactViews contacts;
};

// Writes every data file, in this order: the events as the Today view holds
// them, Diary.dat, Notes.dat, the events as the Events view holds them,
// Contacts.dat, then Settings.dat. Each store reports its own failure and
// the rest go on; true when every store succeeded.
bool SaveAll(AppData& data, const ViewStates& views);

// The records as SaveAll would write them now, rows the views hold and
// edits in progress included, gathered into a copy through the same steps.
// Writes nothing; the data and the views stay as they are.
AppData GatherAll(const AppData& data, const ViewStates& views);

}  // namespace veltrin
