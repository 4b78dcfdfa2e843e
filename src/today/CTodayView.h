#pragma once

#include "controls/CViewBase.h"

namespace veltrin {

// The Today view of the main window.
class CTodayView : public CViewBase {
    Q_OBJECT
public:
    explicit CTodayView(QWidget* parent = nullptr);
};

}  // namespace veltrin
