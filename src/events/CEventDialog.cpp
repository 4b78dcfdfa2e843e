#include "events/CEventDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "base/LocalTime.h"
#include "controls/CPictureButton.h"
#include "controls/QtDialogButtons.h"
#include "controls/QtThemeIcons.h"
#include "events/CWeeklyDaysDialog.h"
#include "events/QtEventDates.h"
#include "imaging/QtPicture.h"
#include "platform/Platform.h"
#include "storage/QtStoredText.h"

namespace veltrin {

namespace {

QStringList names(std::initializer_list<const char*> list) {
    QStringList out;
    for (const char* s : list) out << QString::fromLatin1(s);
    return out;
}

QDateTime localDateTime(std::int64_t t) {
    const DateTime f = BreakDownLocal(t);
    return QDateTime(ToQDate(f), QTime(f.hour, f.minute, f.second));
}

}  // namespace

CEventDialog::CEventDialog(const EventItem& item, Colour priorityColour, QWidget* parent)
    : QDialog(parent),
      item_(item),
      shownName_(FromStored(item.name)),
      shownComment_(FromStored(item.details.comment)),
      shownPath_(FromStored(item.details.filePath)),
      spin_(item.details.schedule, BreakDownLocal(clock().now()).year) {
    setObjectName(QStringLiteral("CEventDialog"));
    const EventSchedule& s = item.details.schedule;

    actual_ = new QCheckBox(QStringLiteral("Actual event"), this);
    actual_->setChecked(item.actual != 0);
    name_ = new QLineEdit(shownName_, this);
    name_->setObjectName(QStringLiteral("name"));
    bold_ = new QCheckBox(QStringLiteral("Bold"), this);
    bold_->setChecked(item.bold != 0);
    priority_ = new QComboBox(this);
    priority_->setObjectName(QStringLiteral("priority"));
    for (int i = 1; i <= 10; ++i) {
        const QString text = i == 1    ? QStringLiteral("1 (Low)")
                             : i == 10 ? QStringLiteral("10 (High)")
                                       : QString::number(i);
        priority_->addItem(text);
        priority_->setItemData(i - 1, QColorFromColour(PriorityItemColour(i, priorityColour)),
                               Qt::BackgroundRole);
    }
    priority_->setCurrentIndex(item.priority >= 1 && item.priority <= 10 ? item.priority - 1 : 0);

    auto* kindGroup = new QButtonGroup(this);
    const QStringList kindNames = names({"Once", "Hourly", "Daily", "Weekly", "Monthly", "Annually"});
    for (int k = 0; k < 6; ++k) {
        kinds_[static_cast<std::size_t>(k)] = new QRadioButton(kindNames[k], this);
        kindGroup->addButton(kinds_[static_cast<std::size_t>(k)], k);
    }

    atLabel_ = new QLabel(QStringLiteral("At"), this);
    time_ = new QTimeEdit(this);
    time_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    onLabel_ = new QLabel(QStringLiteral("On"), this);
    date_ = new QDateEdit(this);
    date_->setDisplayFormat(QStringLiteral("dddd, MMMM dd, yyyy"));
    date_->setCalendarPopup(true);
    BoundToEventDates(date_);
    {
        // The box measures only the range's two ends; the longest day and
        // month names must fit too.
        const QFontMetrics metrics = date_->fontMetrics();
        const auto advance = [&](const QDate& d) {
            return metrics.horizontalAdvance(date_->locale().toString(d, date_->displayFormat()));
        };
        const int extra = advance(QDate(2026, 9, 30)) -
                          std::max(advance(date_->minimumDate()), advance(date_->maximumDate()));
        if (extra > 0) date_->setMinimumWidth(date_->sizeHint().width() + extra);
    }
    const QDateTime when = localDateTime(s.eventTime);
    date_->setDate(when.date());
    time_->setTime(when.time());
    number_ = new QSpinBox(this);
    number_->setObjectName(QStringLiteral("number"));
    if (auto* text = number_->findChild<QLineEdit*>()) text->setReadOnly(true);  // the arrows still work
    minutesLabel_ = new QLabel(QStringLiteral("minutes after hour"), this);
    onTheLabel_ = new QLabel(QStringLiteral("on the"), this);
    dayOfMonthLabel_ = new QLabel(QStringLiteral("day of the month"), this);
    month_ = new QComboBox(this);
    for (int m = 1; m <= 12; ++m) month_->addItem(QString::fromLatin1(MonthName(m)));
    month_->setCurrentIndex(ListRowOrFirst(s.annualMonth, 12));
    whichDaysLabel_ = new QLabel(QStringLiteral("Which days:"), this);
    whichDays_ = new QComboBox(this);
    whichDays_->addItems(names({"All days", "Work days only", "Weekend days only", "Custom days..."}));
    whichDays_->setCurrentIndex(ListRowOrFirst(s.whichDays, 4));
    everyLabel_ = new QLabel(QStringLiteral("every"), this);
    weekday_ = new QComboBox(this);
    // Monday first; a row's weekday digit is the weekday plus one.
    for (int r = 0; r < 7; ++r) weekday_->addItem(QString::fromLatin1(WeekdayName(WeekdayFromRow(r) - 1)));
    weekday_->setCurrentIndex(WeekdayRow(s.weekday));

    auto* scheduleRow = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{atLabel_, time_, onLabel_, date_, onTheLabel_, number_,
                                                      minutesLabel_, dayOfMonthLabel_, month_,
                                                      whichDaysLabel_, whichDays_, everyLabel_, weekday_})
        scheduleRow->addWidget(w);
    scheduleRow->addStretch();

    sound_ = new QCheckBox(QStringLiteral("Sound"), this);
    sound_->setChecked(item.details.playSound != 0);
    message_ = new QCheckBox(QStringLiteral("Show message box"), this);
    message_->setChecked(item.details.showMessage != 0);
    runFile_ = new QCheckBox(QStringLiteral("Execute application or open document:"), this);
    runFile_->setChecked(item.details.runFile != 0);
    path_ = new QLineEdit(shownPath_, this);
    path_->setObjectName(QStringLiteral("path"));
    choose_ = new CPictureButton(1055, NumberedIcon(303), QStringLiteral("Choose file"), this);
    choose_->setObjectName(QStringLiteral("choose"));
    auto* remind = new QGroupBox(QStringLiteral("Remind"), this);
    auto* remindLayout = new QGridLayout(remind);
    remindLayout->addWidget(sound_, 0, 0);
    remindLayout->addWidget(message_, 0, 1);
    remindLayout->addWidget(runFile_, 1, 0, 1, 2);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(path_);
    pathRow->addWidget(choose_);
    remindLayout->addLayout(pathRow, 2, 0, 1, 2);

    comment_ = new QPlainTextEdit(shownComment_, this);
    comment_->setObjectName(QStringLiteral("comment"));
    comment_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* commentBox = new QGroupBox(QStringLiteral("Comment"), this);
    auto* commentLayout = new QVBoxLayout(commentBox);
    commentLayout->addWidget(comment_);

    help_ = new CPictureButton(9, NumberedIcon(274), QStringLiteral("&Help"), this, true);
    help_->setObjectName(QStringLiteral("help"));
    connect(help_, &QAbstractButton::clicked, this, [] { help().showTopic("/Working/events-adding.htm"); });

    auto* top = new QGridLayout;
    top->addWidget(actual_, 0, 0, 1, 3);
    top->addWidget(new QLabel(QStringLiteral("Event Name:"), this), 1, 0);
    top->addWidget(name_, 1, 1);
    top->addWidget(bold_, 1, 2);
    top->addWidget(new QLabel(QStringLiteral("Priority:"), this), 2, 0);
    top->addWidget(priority_, 2, 1);
    auto* kindRow = new QHBoxLayout;
    for (QRadioButton* r : kinds_) kindRow->addWidget(r);
    kindRow->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(help_);
    AddOkCancelRow(this, buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(kindRow);
    layout->addLayout(scheduleRow);
    layout->addWidget(remind);
    layout->addWidget(commentBox, 1);
    layout->addLayout(buttons);

    kinds_[static_cast<std::size_t>(spin_.kind())]->setChecked(true);
    showKind(spin_.kind());
    updateCaption();
    updateFileControls();

    connect(kindGroup, &QButtonGroup::idClicked, this, [this](int kind) {
        spin_.setKind(kind);
        showKind(kind);
    });
    connect(number_, &QSpinBox::valueChanged, this, [this](int v) {
        if (!syncing_) spin_.setPosition(v);
    });
    connect(month_, &QComboBox::currentIndexChanged, this, [this](int m) {
        spin_.setMonth(m);
        syncSpin();
    });
    connect(whichDays_, &QComboBox::activated, this, [this](int index) {
        if (index == CustomDays) openCustomDays();
    });
    connect(name_, &QLineEdit::textChanged, this, &CEventDialog::updateCaption);
    connect(runFile_, &QCheckBox::toggled, this, &CEventDialog::updateFileControls);
    chooseFile_ = [this] {
        return QFileDialog::getOpenFileName(this, QString(), QString(), QStringLiteral("All Files (*)"));
    };
    connect(choose_, &QAbstractButton::clicked, this, [this] {
        const QString chosen = chooseFile_();
        if (!chosen.isEmpty()) path_->setText(chosen);  // the other fields keep what was typed
    });
    resize(640, 520);
}

QWidget* CEventDialog::scheduleControl(int id) const {
    switch (id) {
    case 1035: return atLabel_;
    case 1036: return time_;
    case 1037: return onLabel_;
    case 1038: return date_;
    case 1039: return number_;
    case 1040: return minutesLabel_;
    case 1041: return onTheLabel_;
    case 1042: return dayOfMonthLabel_;
    case 1044: return month_;
    case 1026: return whichDaysLabel_;
    case 1045: return whichDays_;
    case 1046: return everyLabel_;
    case 1051: return weekday_;
    default: return nullptr;
    }
}

void CEventDialog::showKind(int kind) {
    static const std::vector<int> all = {1035, 1036, 1037, 1038, 1039, 1040, 1041,
                                         1042, 1044, 1026, 1045, 1046, 1051};
    std::vector<int> shown;
    switch (kind) {
    case Once: shown = {1035, 1036, 1037, 1038}; break;
    case Hourly: shown = {1035, 1039, 1040}; break;
    case Daily: shown = {1035, 1036, 1026, 1045}; break;
    case Weekly: shown = {1035, 1036, 1046, 1051}; break;
    case Monthly: shown = {1035, 1036, 1041, 1039, 1042}; break;
    case Annually: shown = {1035, 1036, 1041, 1039, 1044}; break;
    default: break;
    }
    for (int id : all)
        scheduleControl(id)->setVisible(std::find(shown.begin(), shown.end(), id) != shown.end());
    syncSpin();
}

void CEventDialog::syncSpin() {
    if (!spin_.shown()) return;
    syncing_ = true;
    number_->setRange(spin_.minimum(), spin_.maximum());
    number_->setValue(spin_.position());
    syncing_ = false;
}

void CEventDialog::openCustomDays() {
    emit customDaysOpened();
    CWeeklyDaysDialog days(item_.details.schedule.customDays, this);
    if (days.exec() == QDialog::Accepted) item_.details.schedule.customDays = days.days();
}

void CEventDialog::updateCaption() {
    setWindowTitle(QStringLiteral("Editing '") + name_->text() + QStringLiteral("' event..."));
}

void CEventDialog::updateFileControls() {
    path_->setEnabled(runFile_->isChecked());
    choose_->setEnabled(runFile_->isChecked());
}

void CEventDialog::accept() {
    item_.bold = bold_->isChecked() ? 1 : 0;
    item_.actual = actual_->isChecked() ? 1 : 0;
    item_.name = StoredAfterEdit(name_->text(), shownName_, item_.name);
    item_.priority = priority_->currentIndex() + 1;
    EventDetails& d = item_.details;
    d.filePath = StoredAfterEdit(path_->text(), shownPath_, d.filePath);
    d.runFile = runFile_->isChecked() ? 1 : 0;
    d.comment = StoredAfterEdit(comment_->toPlainText(), shownComment_, d.comment);
    d.playSound = sound_->isChecked() ? 1 : 0;
    d.showMessage = message_->isChecked() ? 1 : 0;
    EventSchedule& s = d.schedule;
    s.kind = spin_.kind();
    const QDate day = date_->date();
    const QTime at = time_->time();
    s.eventTime = EventTimeFrom(day.year(), day.month(), day.day(), at.hour(), at.minute(), at.second());
    s.annualMonth = month_->currentIndex();
    s.weekday = WeekdayFromRow(weekday_->currentIndex());
    s.whichDays = whichDays_->currentIndex();
    spin_.applyTo(s);
    QDialog::accept();
}

}  // namespace veltrin
