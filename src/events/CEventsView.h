#pragma once

#include "controls/CViewBase.h"
#include "events/EventTrees.h"

namespace veltrin {

// The Events view of the main window.
class CEventsView : public CViewBase {
    Q_OBJECT
public:
    explicit CEventsView(QWidget* parent = nullptr);

    // SaveAll's view of the event list and group tree (eventsList and
    // eventsGroups only); the view first takes any edit in progress into
    // its rows.
    EventViews saveState();
    bool holdsListRows() const;
    void commitList();
    void setTickPeriod(int tickMs);
};

}  // namespace veltrin
