#pragma once

#include "controls/CViewBase.h"

namespace veltrin {

// The Contacts view of the main window.
class CContactsView : public CViewBase {
    Q_OBJECT
public:
    explicit CContactsView(QWidget* parent = nullptr);
};

}  // namespace veltrin
