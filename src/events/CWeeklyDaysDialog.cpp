#include "events/CWeeklyDaysDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "base/LocalTime.h"
#include "controls/QtDialogButtons.h"
#include "events/EventEditor.h"

namespace veltrin {

CWeeklyDaysDialog::CWeeklyDaysDialog(const std::string& days, QWidget* parent)
    : QDialog(parent), days_(days) {
    setObjectName(QStringLiteral("CWeeklyDaysDialog"));
    setWindowTitle(QStringLiteral("Weekly days"));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("days"));
    const auto ticked = DayRowsFromSet(days);
    for (int r = 0; r < 7; ++r) {
        auto* item = new QListWidgetItem(QString::fromLatin1(WeekdayName(WeekdayFromRow(r) - 1)), list_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(ticked[static_cast<std::size_t>(r)] ? Qt::Checked : Qt::Unchecked);
    }
    connect(list_, &QListWidget::itemDoubleClicked, this, [](QListWidgetItem* item) {
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    });
    auto* buttons = new QHBoxLayout;
    AddOkCancelRow(this, buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Check or uncheck days:"), this));
    layout->addWidget(list_);
    layout->addLayout(buttons);
}

void CWeeklyDaysDialog::accept() {
    std::array<bool, 7> rows{};
    for (int r = 0; r < 7; ++r)
        rows[static_cast<std::size_t>(r)] = list_->item(r)->checkState() == Qt::Checked;
    days_ = DaySetFromRows(rows);
    QDialog::accept();
}

}  // namespace veltrin
