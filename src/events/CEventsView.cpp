#include "events/CEventsView.h"

namespace veltrin {

CEventsView::CEventsView(QWidget* parent) : CViewBase(QStringLiteral("Events"), parent) {
    setObjectName(QStringLiteral("CEventsView"));
}

// The list and tree are not built yet: the view holds no rows, so the events
// are saved from the store as loaded.
EventViews CEventsView::saveState() { return EventViews{}; }
bool CEventsView::holdsListRows() const { return false; }
void CEventsView::commitList() {}
void CEventsView::setTickPeriod(int) {}

}  // namespace veltrin
