#include "contacts/CPersonPropSheet.h"

#include <QBoxLayout>
#include <QTabWidget>
#include <QVBoxLayout>

#include "contacts/CBusinessPage.h"
#include "contacts/CHomePage.h"
#include "contacts/CPersonalPage.h"
#include "controls/QtDialogButtons.h"

namespace veltrin {

CPersonPropSheet::CPersonPropSheet(const ContactItem& item, QWidget* parent) : QDialog(parent), item_(item) {
    setWindowTitle(QStringLiteral("Properties"));
    setObjectName(QStringLiteral("CPersonPropSheet"));
    tabs_ = new QTabWidget(this);
    personal_ = new CPersonalPage(tabs_);
    home_ = new CHomePage(tabs_);
    business_ = new CBusinessPage(tabs_);
    tabs_->addTab(personal_, QStringLiteral("Personal"));
    tabs_->addTab(home_, QStringLiteral("Home"));
    tabs_->addTab(business_, QStringLiteral("Business"));
    for (CContactPage* p : {static_cast<CContactPage*>(personal_), static_cast<CContactPage*>(home_),
                            static_cast<CContactPage*>(business_)})
        p->load(item_);

    auto* buttons = new QHBoxLayout;
    AddOkCancelRow(this, buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(buttons);
    resize(480, sizeHint().height());
}

ContactItem CPersonPropSheet::item() const {
    ContactItem item = item_;
    personal_->store(item);
    home_->store(item);
    business_->store(item);
    return item;
}

}  // namespace veltrin
