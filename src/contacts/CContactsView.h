#pragma once

#include "contacts/ContactTrees.h"
#include "controls/CViewBase.h"

namespace veltrin {

// The Contacts view of the main window.
class CContactsView : public CViewBase {
    Q_OBJECT
public:
    explicit CContactsView(QWidget* parent = nullptr);

    // SaveAll's view of the group tree and contact list; the view first
    // takes any edit in progress (a cell, the comment box) into its rows.
    ContactViews saveState();
};

}  // namespace veltrin
