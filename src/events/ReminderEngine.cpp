#include "events/ReminderEngine.h"

#include <algorithm>
#include <cstdlib>

#include "events/EventList.h"
#include "events/EventTrees.h"
#include "events/ReminderDispatcher.h"
#include "events/Schedule.h"

namespace veltrin {

namespace {

// A wall clock that drifts this far from the steady one has been set or slept.
constexpr std::int64_t kJumpSlackSeconds = 5;

bool IsPending(const EventSchedule& s) { return s.nextDue > s.lastCheck; }

}  // namespace

bool ReminderIsDue(const EventSchedule& s, std::int64_t now) {
    if (now < s.nextDue || !IsPending(s)) return false;
    // What the "Left" column showed at lastCheck: "Expired" below one second.
    return NextOccurrence(s, s.lastCheck) - s.lastCheck >= 1;
}

bool ClockWatch::Jumped(std::int64_t wall, std::int64_t steadyMs) {
    const bool first = !read_;
    const std::int64_t expected = wall_ + (steadyMs - steadyMs_) / 1000;
    read_ = true;
    wall_ = wall;
    steadyMs_ = steadyMs;
    return !first && std::llabs(wall - expected) > kJumpSlackSeconds;
}

void ReminderEngine::SetLists(GroupTreeModel* todayList, GroupTreeModel* eventsList) {
    todayList_ = todayList;
    eventsList_ = eventsList;
}

// One event wherever it lives: a record of the store or a row of a list.
struct ReminderEngine::Place {
    EventItem* item = nullptr;
    GroupTreeModel* list = nullptr;
    NodeHandle row = kNoNode;
};

template <class Visit>
void ReminderEngine::ForEachEvent(Visit&& visit, bool evenIfNotActual) const {
    for (EventItem& e : store_.events)
        if (evenIfNotActual || e.actual == 1) visit(Place{&e, nullptr, kNoNode}, e.details);
    for (GroupTreeModel* list : {todayList_, eventsList_}) {
        if (!list) continue;
        for (NodeHandle r = list->GetNextItem(kRootNode, kFirstChild); r != kNoNode;
             r = list->GetNextItem(r, kNextSibling)) {
            if (!evenIfNotActual && !RowIsActual(*list, r)) continue;
            if (const EventDetails* d = list->PeekEventRecord<EventDetails>(r))
                visit(Place{nullptr, list, r}, *d);
        }
    }
}

std::vector<DueReminder> ReminderEngine::Pass(std::int64_t now) {
    std::vector<DueReminder> due;
    ForEachEvent([&](const Place& place, const EventDetails& held) {
        if (!ReminderIsDue(held.schedule, now)) return;
        DueReminder r;
        r.due = held.schedule.nextDue;
        r.missed = r.due < watchingSince_;
        r.details = held;
        r.details.schedule.nextDue = ClampToTime32(NextOccurrence(held.schedule, now));
        r.details.schedule.lastCheck = ClampToTime32(now);
        if (place.item) {
            r.name = place.item->name;
            place.item->details = r.details;
        } else {
            r.name = place.list->GetItemText(place.row, kEventNameColumn);
            place.list->SetEventRecord(place.row, r.details);
        }
        due.push_back(std::move(r));
    });
    if (!snoozes_.empty()) {
        std::vector<Snooze> waiting;
        for (const Snooze& snooze : snoozes_) {
            if (snooze.until > now) {
                waiting.push_back(snooze);
                continue;
            }
            // The event as it is now, wherever it lives; one no longer
            // actual reminds no more.
            ForEachEvent([&](const Place& place, const EventDetails& held) {
                if (held.eventId != snooze.eventId) return;
                DueReminder r;
                r.due = snooze.until;
                r.missed = r.due < watchingSince_;
                r.details = held;
                r.name = place.item ? place.item->name : place.list->GetItemText(place.row, kEventNameColumn);
                due.push_back(std::move(r));
            });
        }
        snoozes_ = std::move(waiting);
    }
    std::stable_sort(due.begin(), due.end(),
                     [](const DueReminder& a, const DueReminder& b) { return a.due < b.due; });
    return due;
}

std::vector<DueReminder> ReminderEngine::Wake(std::int64_t wall, std::int64_t steadyMs) {
    if (clockWatch_.Jumped(wall, steadyMs)) watchingSince_ = wall;
    return Pass(wall);
}

void ReminderEngine::AddSnooze(const Snooze& snooze) {
    snoozes_.erase(std::remove_if(snoozes_.begin(), snoozes_.end(),
                                  [&](const Snooze& s) { return s.eventId == snooze.eventId; }),
                   snoozes_.end());
    snoozes_.push_back(snooze);
}

std::int64_t ReminderEngine::NextWake(std::int64_t now) const {
    std::int64_t wake = kNoWake;
    for (const Snooze& s : snoozes_) wake = std::min(wake, std::max(s.until, now));
    ForEachEvent([&](const Place&, const EventDetails& held) {
        const EventSchedule& s = held.schedule;
        if (!IsPending(s) || s.nextDue >= wake) return;
        if (s.nextDue > now) {
            wake = s.nextDue;
        } else if (ReminderIsDue(s, now)) {
            wake = now;
        }
    });
    return wake;
}

void PerformReminders(ReminderDispatcher& dispatcher, const std::vector<DueReminder>& due,
                      const std::function<int(std::int32_t)>& iconFor) {
    for (const DueReminder& r : due)
        if (!r.missed) dispatcher.Fire(r.name, iconFor ? iconFor(r.details.groupId) : -1, r.details);
}

std::vector<DueReminder> MissedReminders(const std::vector<DueReminder>& due) {
    std::vector<DueReminder> missed;
    for (const DueReminder& r : due)
        if (r.missed) missed.push_back(r);
    return missed;
}

}  // namespace veltrin
