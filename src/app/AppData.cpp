#include "app/AppData.h"

#include "storage/DataFile.h"

namespace veltrin {

void LoadAll(AppData& data, bool firstStart) {
    SetAbsentFilesExpected(firstStart);
    SerializeSettings(data.settings, false);
    SerializeDiaryFile(data.diary, false);
    SerializeNotesFile(data.notes, false);
    SerializeEventsFile(data.events, false);
    SerializeContactsFile(data.contacts, false);
    SetAbsentFilesExpected(false);
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
