#pragma once

#include "contacts/ContactRecords.h"
#include "documents/DocumentRecords.h"
#include "events/EventRecords.h"
#include "settings/AppSettings.h"

namespace veltrin {

// Everything the program keeps for the whole run: the settings and the data
// stores. Filled at start, edited by the views, written back by SaveAll.
struct AppData {
    AppSettings settings;
    DiaryTable diary;
    NoteTable notes;
    EventStore events;
    ContactStore contacts;
};

// Loads the five files in start-up order: Settings.dat, Diary.dat, Notes.dat,
// Events.dat, Contacts.dat. A failed load has shown its message and leaves
// what it read; the next file is loaded all the same.
void LoadAll(AppData& data);

}  // namespace veltrin
