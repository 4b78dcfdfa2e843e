#pragma once

#include <QDialog>
#include <string>

#include "sync/SyncConfig.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QThread;

namespace veltrin {

struct SyncCollections;

// "Sync...": the server, the account, how often, and which calendar,
// address book and calendar for diary pages and notes. "Find" asks the server what the account has, beside the
// dialog; "Sync now" and the status line are the program's.
class CSyncDialog : public QDialog {
    Q_OBJECT
public:
    CSyncDialog(const SyncConfig& config, QWidget* parent = nullptr);
    ~CSyncDialog() override;

    SyncConfig chosen() const;
    // What the password box holds; it was filled from the secret store.
    std::string password() const;
    void setPassword(const std::string& password);
    // Without a secret store the password box is off and the password
    // command is the way; the dialog says so.
    void setSecretStoreAvailable(bool available);
    void setStatus(const QString& text);

    QLineEdit* urlBox() const { return url_; }
    QLineEdit* userBox() const { return user_; }
    QLineEdit* passwordBox() const { return password_; }
    QLineEdit* commandBox() const { return command_; }
    QCheckBox* unencryptedBox() const { return unencrypted_; }
    QSpinBox* intervalBox() const { return interval_; }
    QComboBox* calendarBox() const { return calendar_; }
    QComboBox* addressBookBox() const { return addressBook_; }
    QComboBox* journalsBox() const { return journals_; }
    QPushButton* findButton() const { return find_; }
    QPushButton* syncNowButton() const { return syncNow_; }
    QLabel* statusLabel() const { return status_; }
    QLabel* secretStoreNote() const { return storeNote_; }

signals:
    void syncNowClicked();
    // Find is done, either way.
    void found();

private:
    void find();
    void showFound(bool ok, const SyncCollections& collections, const std::string& why);

    QLineEdit* url_ = nullptr;
    QLineEdit* user_ = nullptr;
    QLineEdit* password_ = nullptr;
    QLineEdit* command_ = nullptr;
    QCheckBox* unencrypted_ = nullptr;
    QSpinBox* interval_ = nullptr;
    QComboBox* calendar_ = nullptr;
    QComboBox* addressBook_ = nullptr;
    QComboBox* journals_ = nullptr;
    QPushButton* find_ = nullptr;
    QPushButton* syncNow_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* storeNote_ = nullptr;
    QThread* finder_ = nullptr;
};

}  // namespace veltrin
