#include "documents/CNotesView.h"

namespace veltrin {

CNotesView::CNotesView(QWidget* parent) : CViewBase(QStringLiteral("Notes"), parent) {
    setObjectName(QStringLiteral("CNotesView"));
}

}  // namespace veltrin
