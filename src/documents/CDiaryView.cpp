#include "documents/CDiaryView.h"

namespace veltrin {

CDiaryView::CDiaryView(QWidget* parent) : CViewBase(QStringLiteral("Diary"), parent) {
    setObjectName(QStringLiteral("CDiaryView"));
}

// The page list is not built yet: the table is saved as loaded.
DiaryViews CDiaryView::saveState() { return DiaryViews{}; }

}  // namespace veltrin
