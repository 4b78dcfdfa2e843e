#pragma once

#include "contacts/CContactPage.h"

namespace veltrin {

// "Home": the home address and numbers, and the web page with its "&Go" button.
class CHomePage : public CContactPage {
    Q_OBJECT
public:
    explicit CHomePage(QWidget* parent = nullptr);

    QPushButton* goButton() const { return go_; }

private:
    QPushButton* go_;
};

}  // namespace veltrin
