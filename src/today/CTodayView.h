#pragma once

#include "controls/CViewBase.h"
#include "events/EventTrees.h"

namespace veltrin {

// The Today view of the main window.
class CTodayView : public CViewBase {
    Q_OBJECT
public:
    explicit CTodayView(QWidget* parent = nullptr);

    // SaveAll's view of the coming-events list (todayList only); the view
    // first takes any edit in progress into its rows.
    EventViews saveState();
    // Whether the coming-events list holds rows, and handing them back.
    bool holdsListRows() const;
    void commitList();
    void setTickPeriod(int tickMs);
    void setDayInfoFont(const QFont& font, const QColor& colour);
};

}  // namespace veltrin
