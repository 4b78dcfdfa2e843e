#pragma once

#include "controls/CViewBase.h"

namespace veltrin {

// The Notes view of the main window.
class CNotesView : public CViewBase {
    Q_OBJECT
public:
    explicit CNotesView(QWidget* parent = nullptr);
};

}  // namespace veltrin
