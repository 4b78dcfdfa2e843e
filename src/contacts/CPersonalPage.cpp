#include "contacts/CPersonalPage.h"

#include <QComboBox>
#include <QLineEdit>
#include <functional>

#include "contacts/DisplayName.h"
#include "storage/QtStoredText.h"

namespace veltrin {

namespace {

// Rebuilds its entries each time the list drops down.
class DisplayCombo : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> aboutToShow;
    void showPopup() override {
        if (aboutToShow) aboutToShow();
        QComboBox::showPopup();
    }
};

}  // namespace

CPersonalPage::CPersonalPage(QWidget* parent)
    : CContactPage(QStringLiteral("Enter personal information about this contact here."), parent) {
    setObjectName(QStringLiteral("CPersonalPage"));
    first_ = addLine(QStringLiteral("&First:"), "First Name");
    middle_ = addLine(QStringLiteral("Mi&ddle:"), "Middle Name");
    last_ = addLine(QStringLiteral("&Last:"), "Last Name");
    auto* combo = new DisplayCombo(this);
    combo->aboutToShow = [this] { rebuildDisplayChoices(); };
    display_ = addCombo(QStringLiteral("Dis&play:"), "Name", combo);
    nickname_ = addLine(QStringLiteral("&Nickname:"), "Nickname");
    addLine(QStringLiteral("E-Mail"), "E-mail Address");
    addText(QStringLiteral("&Notes"), "Notes");
    for (QLineEdit* e : {first_, middle_, last_})
        connect(e, &QLineEdit::textChanged, this, &CPersonalPage::namesChanged);
}

void CPersonalPage::load(const ContactItem& item) {
    loading_ = true;
    CContactPage::load(item);
    automatic_ = DisplayNameAutomatic(ToStored(display_->currentText()), ToStored(first_->text()));
    loading_ = false;
}

void CPersonalPage::namesChanged() {
    if (loading_ || !automatic_) return;
    display_->setEditText(FromStored(
        ComposeDisplayName(ToStored(first_->text()), ToStored(middle_->text()), ToStored(last_->text()))));
}

void CPersonalPage::rebuildDisplayChoices() {
    const QString text = display_->currentText();
    const std::string composed =
        ComposeDisplayName(ToStored(first_->text()), ToStored(middle_->text()), ToStored(last_->text()));
    display_->blockSignals(true);
    display_->clear();
    for (const std::string& c :
         DisplayNameChoices(ToStored(text), automatic_, composed, ToStored(nickname_->text())))
        display_->addItem(FromStored(c));
    display_->setCurrentIndex(-1);
    display_->setEditText(text);
    display_->blockSignals(false);
}

}  // namespace veltrin
