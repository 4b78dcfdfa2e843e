#pragma once

#include "controls/CViewBase.h"
#include "documents/DocumentTrees.h"

namespace veltrin {

// The Diary view of the main window.
class CDiaryView : public CViewBase {
    Q_OBJECT
public:
    explicit CDiaryView(QWidget* parent = nullptr);

    // SaveAll's view of the page list; the view first takes the editor's
    // text into the current page.
    DiaryViews saveState();
};

}  // namespace veltrin
