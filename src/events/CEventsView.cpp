#include "events/CEventsView.h"

namespace veltrin {

CEventsView::CEventsView(QWidget* parent) : CViewBase(QStringLiteral("Events"), parent) {
    setObjectName(QStringLiteral("CEventsView"));
}

}  // namespace veltrin
