#include "documents/CNewDiaryPageDialog.h"

#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/LocalTime.h"
#include "documents/DocumentRules.h"
#include "events/QtEventDates.h"
#include "platform/Platform.h"
#include "storage/QtStoredText.h"

namespace veltrin {

CNewDiaryPageDialog::CNewDiaryPageDialog(QWidget* parent)
    : QDialog(parent), calendar_(new QCalendarWidget(this)) {
    calendar_->setObjectName(QStringLiteral("calendar"));
    BoundToEventDates(calendar_);
    calendar_->setSelectedDate(ToQDate(BreakDownLocal(clock().now())));
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
    return EventTimeFrom(d.year(), d.month(), d.day(), 0, 0, 0);
}

void CNewDiaryPageDialog::renewTitle() { setWindowTitle(FromStored(NewDiaryPageTitle(pickedDay()))); }

}  // namespace veltrin
