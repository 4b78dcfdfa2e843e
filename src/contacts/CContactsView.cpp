#include "contacts/CContactsView.h"

namespace veltrin {

CContactsView::CContactsView(QWidget* parent) : CViewBase(QStringLiteral("Contacts"), parent) {
    setObjectName(QStringLiteral("CContactsView"));
}

// The tree and list are not built yet: the contacts are saved as loaded.
ContactViews CContactsView::saveState() { return ContactViews{}; }

}  // namespace veltrin
