#include "documents/CNotesView.h"

namespace veltrin {

CNotesView::CNotesView(QWidget* parent) : CViewBase(QStringLiteral("Notes"), parent) {
    setObjectName(QStringLiteral("CNotesView"));
}

// The note tree is not built yet: the table is saved as loaded.
NoteViews CNotesView::saveState() { return NoteViews{}; }

}  // namespace veltrin
