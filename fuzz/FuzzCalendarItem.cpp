// Feeds arbitrary bytes to the calendar item readers as a sync meets a
// server's item (libical under its guard): each must read or refuse it, and
// what it read must go out and be read again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "interop/CalendarItems.h"
#include "interop/ICalendar.h"

using namespace veltrin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::int64_t kNow = 1'796'601'600;
    const std::string text(reinterpret_cast<const char*>(data), size);
    CalendarHolds(text, "VEVENT");
    CalendarHolds(text, "VJOURNAL");
    const ReadEvent event = ReadOneEvent(text, kNow);
    if (event.ok) {
        EventStore none;
        const std::string written = EventToICalendar(event.event, none.groups, event.uid, kNow);
        if (!ReadOneEvent(written, kNow).ok) std::abort();
    }
    const ReadJournal journal = ReadOneJournal(text, kNow);
    if (journal.ok) {
        const std::string written = journal.dated ? DiaryPageToICalendar(journal.page, journal.uid, kNow)
                                                  : NoteToICalendar(journal.note, journal.uid, {}, kNow);
        if (!ReadOneJournal(written, kNow).ok) std::abort();
    }
    return 0;
}
