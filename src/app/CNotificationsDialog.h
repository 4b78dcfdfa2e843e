#pragma once

#include <QDialog>

class QLineEdit;
class QRadioButton;

namespace veltrin {

// Subscribing to or leaving the mailing list of new versions: OK hands the
// subscription page, with the choice and the address, to the desktop.
class CNotificationsDialog : public QDialog {
    Q_OBJECT
public:
    explicit CNotificationsDialog(QWidget* parent = nullptr);

    QLineEdit* addressField() const { return address_; }
    QRadioButton* subscribeButton() const { return subscribe_; }
    QRadioButton* unsubscribeButton() const { return unsubscribe_; }

    void accept() override;

private:
    QRadioButton* subscribe_ = nullptr;
    QRadioButton* unsubscribe_ = nullptr;
    QLineEdit* address_ = nullptr;
};

}  // namespace veltrin
