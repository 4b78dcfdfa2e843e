#include "app/AppData.h"

namespace veltrin {

void LoadAll(AppData& data) {
    SerializeSettings(data.settings, false);
    SerializeDiaryFile(data.diary, false);
    SerializeNotesFile(data.notes, false);
    SerializeEventsFile(data.events, false);
    SerializeContactsFile(data.contacts, false);
}

}  // namespace veltrin
