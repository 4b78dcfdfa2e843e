#include "contacts/CContactsView.h"

namespace veltrin {

CContactsView::CContactsView(QWidget* parent) : CViewBase(QStringLiteral("Contacts"), parent) {
    setObjectName(QStringLiteral("CContactsView"));
}

}  // namespace veltrin
