#include "events/CMissedRemindersWindow.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "events/Countdown.h"
#include "imaging/QtSkinResources.h"
#include "storage/QtStoredText.h"

namespace veltrin {

CMissedRemindersWindow::CMissedRemindersWindow() : QDialog(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("CMissedRemindersWindow"));
    setWindowTitle(QStringLiteral("Missed reminders"));
    setModal(false);
    setWindowIcon(ApplicationIcon());

    note_ =
        new QLabel(QStringLiteral("These reminders came due while Veltrin was not running or the computer "
                                  "slept. Their files were not run and no sound played."),
                   this);
    note_->setWordWrap(true);
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("missed"));
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels({QStringLiteral("Event Name"), QStringLiteral("Due"), QStringLiteral("Comment")});
    list_->header()->setStretchLastSection(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note_);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    resize(640, 300);
}

void CMissedRemindersWindow::addReminders(const std::vector<DueReminder>& missed) {
    for (const DueReminder& r : missed) {
        // The comment on one line; the whole of it is the tip.
        const QString comment = FromStored(r.details.comment);
        auto* item =
            new QTreeWidgetItem(list_, {FromStored(r.name), QString::fromStdString(DueTimeText(r.due)),
                                        QString(comment).replace(QLatin1Char('\n'), QLatin1Char(' '))});
        item->setToolTip(2, comment);
    }
    list_->resizeColumnToContents(0);
    list_->resizeColumnToContents(1);
}

}  // namespace veltrin
