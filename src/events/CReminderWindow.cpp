#include "events/CReminderWindow.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/CBannerStrip.h"
#include "events/Countdown.h"
#include "events/Snoozes.h"
#include "imaging/QtSkinResources.h"
#include "platform/Platform.h"
#include "storage/QtStoredText.h"

namespace veltrin {

CReminderWindow::CReminderWindow(const std::string& name, const EventDetails& details, const QIcon& icon)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint), details_(details) {
    setObjectName(QStringLiteral("CReminderWindow"));
    setWindowTitle(QStringLiteral("Event"));
    setModal(false);
    setWindowIcon(icon.isNull() ? ApplicationIcon() : icon);

    banner_ = new CBannerStrip(this);
    banner_->setIcon(ApplicationIcon());
    banner_->setText(FromStored(name));

    name_ = new QLineEdit(FromStored(name), this);
    name_->setObjectName(QStringLiteral("name"));
    name_->setReadOnly(true);
    // The moment the window opened, as the deadline the user is reminded of.
    deadline_ = new QLineEdit(QString::fromStdString(DueTimeText(clock().now())), this);
    deadline_->setObjectName(QStringLiteral("deadline"));
    deadline_->setReadOnly(true);
    comment_ = new QPlainTextEdit(FromStored(details.comment), this);
    comment_->setObjectName(QStringLiteral("comment"));
    comment_->setReadOnly(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Event Name:"), name_);
    form->addRow(QStringLiteral("Deadline:"), deadline_);
    form->addRow(QStringLiteral("Comment:"), comment_);
    form->setContentsMargins(10, 10, 10, 10);
    // Put off: the reminder comes again after the chosen time.
    snoozeChoice_ = new QComboBox(this);
    snoozeChoice_->setObjectName(QStringLiteral("snoozeChoice"));
    for (const std::string& text : SnoozeChoiceTexts()) snoozeChoice_->addItem(QString::fromStdString(text));
    snoozeButton_ = new QPushButton(QStringLiteral("Snooze"), this);
    snoozeButton_->setObjectName(QStringLiteral("snooze"));
    snoozeButton_->setAutoDefault(false);
    connect(snoozeButton_, &QPushButton::clicked, this, [this] {
        hide();
        emit snoozed(snoozeChoice_->currentIndex());
    });
    auto* snoozeRow = new QHBoxLayout;
    snoozeRow->addStretch();
    snoozeRow->addWidget(snoozeChoice_);
    snoozeRow->addWidget(snoozeButton_);
    form->addRow(snoozeRow);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(banner_);
    layout->addLayout(form);
    resize(400, 290);
}

void CReminderWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);  // Escape rejects, which hides a modeless dialog
}

}  // namespace veltrin
