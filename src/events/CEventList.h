#pragma once

#include "controls/CGroupTree.h"
#include "controls/CViewBase.h"
#include "events/EventList.h"

namespace veltrin {

class ReminderDispatcher;

// The event list of the Today and the Events view: the four columns with
// their icons, the name and priority cell styles, the list colours with the
// "Time" and "Priority" columns shaded, and what a tick over its rows needs.
class CEventList : public CGroupTree {
    Q_OBJECT
public:
    explicit CEventList(QWidget* parent = nullptr);

    const EventListStyles& styles() const { return styles_; }

    void setListColours(const CViewBase::ListColours& colours);

    // Gives the columns their shares of the list's width, widening "Time",
    // "Left" and "Priority" where the font would cut their texts (the
    // priority while its drop-down button shows) at the cost of "Event Name".
    void fitColumns(int listWidth, bool showSeconds);
    EventColumnNeeds columnNeeds(bool showSeconds) const;

    // What a pass over the rows and a check toggle need: the rows get their
    // texts; what fires is the reminder engine's to decide.
    EventTickContext tickContext(bool showSeconds) const;

private:
    EventListStyles styles_;
};

}  // namespace veltrin
