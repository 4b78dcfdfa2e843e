#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "events/EventRecords.h"
#include "events/Snoozes.h"
#include "tree/GroupTreeModel.h"

namespace veltrin {

class ReminderDispatcher;

// NextWake when nothing is pending.
inline constexpr std::int64_t kNoWake = std::numeric_limits<std::int64_t>::max();

// Whether an event's reminder fires at this moment: nextDue has come, it is
// later than lastCheck, and the event had not already expired when lastCheck
// was set (a Once event whose time had passed then never fires).
bool ReminderIsDue(const EventSchedule& s, std::int64_t now);

// One occurrence that came due; its record has already been moved on.
struct DueReminder {
    std::string name;      // as stored
    std::int64_t due = 0;  // the occurrence's due time
    EventDetails details;  // as moved on
    bool missed = false;   // came due while nothing watched: listed, not performed
};

// Tells when the wall clock moved unlike the time that passed: a resume from
// suspend or a clock set forward or back.
class ClockWatch {
public:
    // wall in seconds since 1970; steadyMs from a clock that never jumps and
    // stands still while the machine sleeps. True when the wall clock moved
    // more than a few seconds off since the last reading.
    bool Jumped(std::int64_t wall, std::int64_t steadyMs);

private:
    bool read_ = false;
    std::int64_t wall_ = 0;
    std::int64_t steadyMs_ = 0;
};

// The one place that decides which reminders fire. It looks at every event of
// the store and at every row of the two event lists; an event lives in
// exactly one of these places, so none is seen twice, whatever view is shown.
// Due tracking stays in the records (nextDue, lastCheck), as the file keeps it.
class ReminderEngine {
public:
    explicit ReminderEngine(EventStore& store) : store_(store) {}

    // The lists that may hold events instead of the store; none may be null.
    void SetLists(GroupTreeModel* todayList, GroupTreeModel* eventsList);

    // From this moment on reminders are watched for: an occurrence due before
    // it came due while nothing watched and is reported as missed.
    void WatchFrom(std::int64_t now) { watchingSince_ = now; }
    std::int64_t watchingSince() const { return watchingSince_; }

    // Every occurrence due at this moment, in order of due time (the store's
    // order, then the Today list's, then the Events list's among equals).
    // Each record is moved on (nextDue the next occurrence, lastCheck now)
    // before it is returned, so it is returned once only.
    std::vector<DueReminder> Pass(std::int64_t now);

    // Pass at a wake-up: a jump of the wall clock first restarts the watch,
    // so what the jump skipped is missed rather than performed late.
    std::vector<DueReminder> Wake(std::int64_t wall, std::int64_t steadyMs);

    // The earliest second at or after now at which Pass has something to do;
    // kNoWake when no actual event is pending.
    std::int64_t NextWake(std::int64_t now) const;

    // A reminder put off until a moment: Pass then returns the event again
    // (its due tracking untouched), once. A later snooze of the same event
    // replaces an earlier one; an event no longer there drops its snooze.
    void AddSnooze(const Snooze& snooze);
    void SetSnoozes(std::vector<Snooze> snoozes) { snoozes_ = std::move(snoozes); }
    const std::vector<Snooze>& snoozes() const { return snoozes_; }

private:
    struct Place;
    // The actual events, or every event.
    template <class Visit>
    void ForEachEvent(Visit&& visit, bool evenIfNotActual = false) const;

    EventStore& store_;
    GroupTreeModel* todayList_ = nullptr;
    GroupTreeModel* eventsList_ = nullptr;
    std::int64_t watchingSince_ = std::numeric_limits<std::int64_t>::min();
    ClockWatch clockWatch_;
    std::vector<Snooze> snoozes_;
};

// Performs the reminders that came due on time, in order: sound, file and
// window each as the event asks. Missed ones are left to the caller to list.
// iconFor gives the window icon for an event's group (-1 the program's).
void PerformReminders(ReminderDispatcher& dispatcher, const std::vector<DueReminder>& due,
                      const std::function<int(std::int32_t groupId)>& iconFor = {});

// The missed ones among them.
std::vector<DueReminder> MissedReminders(const std::vector<DueReminder>& due);

}  // namespace veltrin
