#include "documents/CNewDiaryPageDialog.h"

#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/LocalTime.h"
#include "documents/DocumentRules.h"
#include "platform/Platform.h"
#include "storage/QtStoredText.h"

namespace veltrin {

CNewDiaryPageDialog::CNewDiaryPageDialog(QWidget* parent)
    : QDialog(parent), calendar_(new QCalendarWidget(this)) {
    calendar_->setObjectName(QStringLiteral("calendar"));
    const DateTime today = BreakDownLocal(clock().now());
    calendar_->setSelectedDate(
        QDate(static_cast<int>(today.year), static_cast<int>(today.month), static_cast<int>(today.day)));
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [] { help().showTopic("/Working/diary.htm"); });
    connect(calendar_, &QCalendarWidget::selectionChanged, this, &CNewDiaryPageDialog::renewTitle);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(calendar_);
    layout->addWidget(buttons);
    renewTitle();
}

std::int32_t CNewDiaryPageDialog::pickedDay() const {
    const QDate d = calendar_->selectedDate();
    return static_cast<std::int32_t>(MakeLocalTime(d.year(), d.month(), d.day(), 0, 0, 0).value_or(0));
}

void CNewDiaryPageDialog::renewTitle() { setWindowTitle(FromStored(NewDiaryPageTitle(pickedDay()))); }

}  // namespace veltrin
