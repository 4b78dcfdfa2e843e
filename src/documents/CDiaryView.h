#pragma once

#include "controls/CViewBase.h"

namespace veltrin {

// The Diary view of the main window.
class CDiaryView : public CViewBase {
    Q_OBJECT
public:
    explicit CDiaryView(QWidget* parent = nullptr);
};

}  // namespace veltrin
