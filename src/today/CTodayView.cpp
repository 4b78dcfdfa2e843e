#include "today/CTodayView.h"

namespace veltrin {

CTodayView::CTodayView(QWidget* parent) : CViewBase(QStringLiteral("Today"), parent) {
    setObjectName(QStringLiteral("CTodayView"));
}

// The coming-events list is not built yet: the view holds no rows, so the
// events are saved from the store as loaded.
EventViews CTodayView::saveState() { return EventViews{}; }
bool CTodayView::holdsListRows() const { return false; }
void CTodayView::commitList() {}
void CTodayView::setTickPeriod(int) {}
void CTodayView::setDayInfoFont(const QFont&, const QColor&) {}

}  // namespace veltrin
