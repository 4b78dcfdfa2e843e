#pragma once

#include <QDialog>

#include "contacts/ContactRecords.h"

class QTabWidget;

namespace veltrin {

class CBusinessPage;
class CHomePage;
class CPersonalPage;

// "Properties": the three pages that edit the 29 fields of a contact.
class CPersonPropSheet : public QDialog {
    Q_OBJECT
public:
    explicit CPersonPropSheet(const ContactItem& item, QWidget* parent = nullptr);

    // The contact as the pages hold it; fields left as they were keep their bytes.
    ContactItem item() const;

    QTabWidget* tabs() const { return tabs_; }
    CPersonalPage* personalPage() const { return personal_; }
    CHomePage* homePage() const { return home_; }
    CBusinessPage* businessPage() const { return business_; }

private:
    ContactItem item_;
    QTabWidget* tabs_;
    CPersonalPage* personal_;
    CHomePage* home_;
    CBusinessPage* business_;
};

}  // namespace veltrin
