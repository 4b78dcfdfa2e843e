#include "contacts/CBusinessPage.h"

namespace veltrin {

CBusinessPage::CBusinessPage(QWidget* parent)
    : CContactPage(QStringLiteral("Enter business-related information about this contact here."), parent) {
    setObjectName(QStringLiteral("CBusinessPage"));
    addLine(QStringLiteral("Co&mpany:"), "Company");
    addText(QStringLiteral("Street Add&ress:"), "Business Street");
    addLine(QStringLiteral("Cit&y:"), "Business City");
    addLine(QStringLiteral("&State/Province:"), "Business State");
    addLine(QStringLiteral("&Zip Code:"), "Business Postal Code");
    addLine(QStringLiteral("Co&untry:"), "Business Country");
    addLine(QStringLiteral("&Job Title:"), "Job Title");
    addLine(QStringLiteral("&Department:"), "Department");
    addLine(QStringLiteral("&Office:"), "Office Location");
    addLine(QStringLiteral("Pho&ne:"), "Business Phone");
    addLine(QStringLiteral("Fa&x:"), "Business Fax");
    addLine(QStringLiteral("P&ager:"), "Pager");
    QLineEdit* webPage = addLine(QStringLiteral("Business &Web Page:"), "Business Web Page");
    go_ = addGoButton(webPage);
}

}  // namespace veltrin
