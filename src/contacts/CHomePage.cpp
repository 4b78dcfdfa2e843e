#include "contacts/CHomePage.h"

namespace veltrin {

CHomePage::CHomePage(QWidget* parent)
    : CContactPage(QStringLiteral("Enter home-related information about this contact here."), parent) {
    setObjectName(QStringLiteral("CHomePage"));
    addText(QStringLiteral("Street Add&ress:"), "Home Street");
    addLine(QStringLiteral("Cit&y:"), "Home City");
    addLine(QStringLiteral("&State/Province:"), "Home State");
    addLine(QStringLiteral("&Zip Code:"), "Home Postal Code");
    addLine(QStringLiteral("Co&untry:"), "Home Country");
    addLine(QStringLiteral("Pho&ne:"), "Home Phone");
    addLine(QStringLiteral("Fa&x:"), "Home Fax");
    addLine(QStringLiteral("Ce&llular:"), "Cellular");
    QLineEdit* webPage = addLine(QStringLiteral("Personal &Web Page:"), "Personal Web Page");
    go_ = addGoButton(webPage);
}

}  // namespace veltrin
