#pragma once

#include "controls/CViewBase.h"

namespace veltrin {

// The Events view of the main window.
class CEventsView : public CViewBase {
    Q_OBJECT
public:
    explicit CEventsView(QWidget* parent = nullptr);
};

}  // namespace veltrin
