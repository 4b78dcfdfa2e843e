#include "sync/CSyncDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QThread>
#include <QVBoxLayout>
#include <memory>

#include "sync/SyncRun.h"

namespace veltrin {

namespace {

// An editable box: an address may be typed; empty lets the sync take the
// account's first.
QComboBox* CollectionBox(const std::string& chosen) {
    auto* box = new QComboBox;
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumContentsLength(40);
    box->setEditText(QString::fromStdString(chosen));
    return box;
}

void Fill(QComboBox* box, const std::vector<DavCollection>& collections) {
    const QString typed = box->currentText();
    box->clear();
    for (const DavCollection& c : collections) {
        const QString url = QString::fromStdString(c.url);
        box->addItem(c.name.empty() ? url : QString::fromStdString(c.name) + QStringLiteral("  ") + url, url);
    }
    const int at = box->findData(typed);
    if (!typed.isEmpty() && at < 0) {
        box->setEditText(typed);
    } else {
        box->setCurrentIndex(at >= 0 ? at : 0);
    }
}

// The address chosen: an item's, or what was typed.
std::string Chosen(const QComboBox* box) {
    const int at = box->findText(box->currentText());
    const QString url =
        at >= 0 && box->itemData(at).isValid() ? box->itemData(at).toString() : box->currentText();
    return url.trimmed().toStdString();
}

}  // namespace

CSyncDialog::CSyncDialog(const SyncConfig& config, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Sync"));
    auto* page = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    page->addLayout(form);

    url_ = new QLineEdit(QString::fromStdString(config.url));
    url_->setPlaceholderText(QStringLiteral("https://server.example/"));
    form->addRow(QStringLiteral("Server U&RL:"), url_);
    user_ = new QLineEdit(QString::fromStdString(config.user));
    form->addRow(QStringLiteral("&User name:"), user_);
    password_ = new QLineEdit;
    password_->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("Pass&word:"), password_);
    storeNote_ = new QLabel;
    storeNote_->hide();
    form->addRow(QString(), storeNote_);
    command_ = new QLineEdit(QString::fromStdString(config.passwordCommand));
    command_->setPlaceholderText(QStringLiteral("a command that prints the password"));
    form->addRow(QStringLiteral("Password &command:"), command_);
    unencrypted_ = new QCheckBox(QStringLiteral("Allow unencrypted connection"));
    unencrypted_->setChecked(config.allowUnencrypted);
    form->addRow(QString(), unencrypted_);
    interval_ = new QSpinBox;
    interval_->setRange(0, 24 * 60);
    interval_->setValue(config.intervalMinutes);
    interval_->setSpecialValueText(QStringLiteral("only by hand"));
    interval_->setSuffix(QStringLiteral(" minutes"));
    form->addRow(QStringLiteral("Sync &every:"), interval_);

    calendar_ = CollectionBox(config.eventsCollection);
    find_ = new QPushButton(QStringLiteral("&Find"));
    auto* calendarRow = new QHBoxLayout;
    calendarRow->addWidget(calendar_, 1);
    calendarRow->addWidget(find_);
    // A row of its own has no buddy for the label's key.
    auto* calendarLabel = new QLabel(QStringLiteral("C&alendar:"));
    calendarLabel->setBuddy(calendar_);
    form->addRow(calendarLabel, calendarRow);
    addressBook_ = CollectionBox(config.contactsCollection);
    form->addRow(QStringLiteral("A&ddress book:"), addressBook_);
    journals_ = CollectionBox(config.journalsCollection);
    form->addRow(QStringLiteral("Diary and no&tes:"), journals_);

    auto* statusRow = new QHBoxLayout;
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("syncStatus"));
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    syncNow_ = new QPushButton(QStringLiteral("Sync &now"));
    statusRow->addWidget(status_, 1);
    statusRow->addWidget(syncNow_);
    page->addLayout(statusRow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    page->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(find_, &QPushButton::clicked, this, &CSyncDialog::find);
    connect(syncNow_, &QPushButton::clicked, this, &CSyncDialog::syncNowClicked);
    // Enter in a box does not close the dialog.
    for (QPushButton* b : {find_, syncNow_}) b->setAutoDefault(false);
    setMinimumWidth(560);
    url_->setFocus();
}

CSyncDialog::~CSyncDialog() {
    if (finder_) {
        finder_->disconnect(this);
        finder_->wait();
        delete finder_;
    }
}

SyncConfig CSyncDialog::chosen() const {
    SyncConfig c;
    c.url = url_->text().trimmed().toStdString();
    c.user = user_->text().toStdString();
    c.passwordCommand = command_->text().trimmed().toStdString();
    c.allowUnencrypted = unencrypted_->isChecked();
    c.intervalMinutes = interval_->value();
    c.eventsCollection = Chosen(calendar_);
    c.contactsCollection = Chosen(addressBook_);
    c.journalsCollection = Chosen(journals_);
    return c;
}

std::string CSyncDialog::password() const { return password_->text().toStdString(); }

void CSyncDialog::setPassword(const std::string& password) {
    password_->setText(QString::fromStdString(password));
}

void CSyncDialog::setSecretStoreAvailable(bool available) {
    password_->setEnabled(available);
    storeNote_->setVisible(!available);
    if (!available)
        storeNote_->setText(
            QStringLiteral("The desktop's password store is not available,\n"
                           "so no password can be kept: give a password command instead."));
    if (isVisible()) resize(size().expandedTo(sizeHint()));
}

void CSyncDialog::setStatus(const QString& text) { status_->setText(text); }

void CSyncDialog::find() {
    if (finder_) return;
    find_->setEnabled(false);
    setStatus(QStringLiteral("Looking for calendars and address books..."));
    const SyncConfig config = chosen();
    const std::string typed = password();
    auto result = std::make_shared<std::pair<SyncCollections, std::string>>();
    auto ok = std::make_shared<bool>(false);
    finder_ = QThread::create([config, typed, result, ok] {
        *ok = FindSyncCollections(config, typed.empty() ? nullptr : &typed, result->first, result->second);
    });
    connect(finder_, &QThread::finished, this, [this, result, ok] {
        finder_->wait();
        delete finder_;
        finder_ = nullptr;
        find_->setEnabled(true);
        showFound(*ok, result->first, result->second);
        emit found();
    });
    finder_->start();
}

void CSyncDialog::showFound(bool ok, const SyncCollections& collections, const std::string& why) {
    if (!ok) {
        setStatus(QString::fromStdString(why));
        return;
    }
    Fill(calendar_, collections.calendars);
    Fill(addressBook_, collections.addressBooks);
    Fill(journals_, collections.journals);
    setStatus(QStringLiteral("Calendars found: %1, address books found: %2.")
                  .arg(collections.calendars.size())
                  .arg(collections.addressBooks.size()));
}

}  // namespace veltrin
