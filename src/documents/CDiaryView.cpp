#include "documents/CDiaryView.h"

namespace veltrin {

CDiaryView::CDiaryView(QWidget* parent) : CViewBase(QStringLiteral("Diary"), parent) {
    setObjectName(QStringLiteral("CDiaryView"));
}

}  // namespace veltrin
