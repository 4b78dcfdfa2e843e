#include "today/CTodayView.h"

namespace veltrin {

CTodayView::CTodayView(QWidget* parent) : CViewBase(QStringLiteral("Today"), parent) {
    setObjectName(QStringLiteral("CTodayView"));
}

}  // namespace veltrin
