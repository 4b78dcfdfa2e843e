#include "app/CNotificationsDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/Notifications.h"
#include "platform/Platform.h"
#include "storage/QtStoredText.h"

namespace veltrin {

CNotificationsDialog::CNotificationsDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Notifications"));
    auto* page = new QVBoxLayout(this);
    auto text = [page](const QString& t) {
        auto* label = new QLabel(t);
        label->setWordWrap(true);
        page->addWidget(label);
        return label;
    };
    text(
        QStringLiteral("If you like the program and get interested in its development, we can regularly send "
                       "you notifications about new versions released. For this reason we have created a "
                       "special mailing list."));
    text(
        QStringLiteral("Choose one of the following options to subscribe or unsubscribe from this list and "
                       "enter your e-mail."));
    subscribe_ = new QRadioButton(QStringLiteral("Subscribe for e-mail notifications"));
    unsubscribe_ = new QRadioButton(QStringLiteral("Unsubscribe from e-mail notifications"));
    subscribe_->setChecked(true);
    page->addWidget(subscribe_);
    page->addWidget(unsubscribe_);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Enter your e-mail:")));
    address_ = new QLineEdit;
    address_->setObjectName(QStringLiteral("email"));
    row->addWidget(address_, 1);
    page->addLayout(row);
    text(QStringLiteral(
        "We guarantee that your e-mail address will not be transferred to third parties or used "
        "inappropriately."));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &CNotificationsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    page->addWidget(buttons);
    setMinimumWidth(460);
    address_->setFocus();
}

void CNotificationsDialog::accept() {
    const std::string email = TrimmedAddress(ToStored(address_->text()));
    if (email.empty()) {
        messages().show("Please enter e-mail!", "Veltrin", Messages::Icon::Exclamation,
                        Messages::Buttons::Ok);
        address_->setFocus();
        return;
    }
    OpenWithShell(SubscriptionAddress(HomePage(), subscribe_->isChecked(), email));
    QDialog::accept();
}

}  // namespace veltrin
