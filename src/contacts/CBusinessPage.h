#pragma once

#include "contacts/CContactPage.h"

namespace veltrin {

// "Business": the business address and numbers, and the web page with its "&Go" button.
class CBusinessPage : public CContactPage {
    Q_OBJECT
public:
    explicit CBusinessPage(QWidget* parent = nullptr);

    QPushButton* goButton() const { return go_; }

private:
    QPushButton* go_;
};

}  // namespace veltrin
