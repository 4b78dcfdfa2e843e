#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <functional>

#include "events/EventEditor.h"
#include "events/EventRecords.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QSpinBox;
class QTimeEdit;
class QToolButton;

namespace veltrin {

// "Event Settings": creates or edits an event's name, flags, priority,
// schedule, reminder actions and comment. The caller reads item() after OK.
class CEventDialog : public QDialog {
    Q_OBJECT
public:
    // Uses the item's name, actual, bold, priority and details.
    CEventDialog(const EventItem& item, Colour priorityColour, QWidget* parent = nullptr);

    const EventItem& item() const { return item_; }

    // Where "Choose file" gets its path; the open-file dialog unless a test
    // puts something else here.
    void setFileChooser(std::function<QString()> chooser) { chooseFile_ = std::move(chooser); }

    void accept() override;

    // The controls, for the tests.
    QCheckBox* actualBox() const { return actual_; }
    QLineEdit* nameEdit() const { return name_; }
    QCheckBox* boldBox() const { return bold_; }
    QComboBox* priorityList() const { return priority_; }
    QRadioButton* kindButton(int kind) const { return kinds_[static_cast<std::size_t>(kind)]; }
    QTimeEdit* timeEdit() const { return time_; }
    QDateEdit* dateEdit() const { return date_; }
    QSpinBox* numberBox() const { return number_; }
    QComboBox* monthList() const { return month_; }
    QComboBox* whichDaysList() const { return whichDays_; }
    QComboBox* weekdayList() const { return weekday_; }
    QCheckBox* soundBox() const { return sound_; }
    QCheckBox* messageBox() const { return message_; }
    QCheckBox* runFileBox() const { return runFile_; }
    QLineEdit* pathEdit() const { return path_; }
    QToolButton* chooseButton() const { return choose_; }
    QPlainTextEdit* commentEdit() const { return comment_; }
    QToolButton* helpButton() const { return help_; }
    // The labels and fields of the schedule row, visible or not.
    QWidget* scheduleControl(int id) const;

signals:
    // Asked for "Custom days..."; the dialog is shown modally by default.
    void customDaysOpened();

private:
    void showKind(int kind);
    void openCustomDays();
    void updateCaption();
    void updateFileControls();
    void syncSpin();

    EventItem item_;
    QString shownName_, shownComment_, shownPath_;
    ScheduleSpin spin_;
    std::function<QString()> chooseFile_;

    QCheckBox* actual_;
    QLineEdit* name_;
    QCheckBox* bold_;
    QComboBox* priority_;
    std::array<QRadioButton*, 6> kinds_{};
    QLabel *atLabel_, *onLabel_, *minutesLabel_, *onTheLabel_, *dayOfMonthLabel_, *whichDaysLabel_,
        *everyLabel_;
    QTimeEdit* time_;
    QDateEdit* date_;
    QSpinBox* number_;
    QComboBox* month_;
    QComboBox* whichDays_;
    QComboBox* weekday_;
    QCheckBox *sound_, *message_, *runFile_;
    QLineEdit* path_;
    QToolButton* choose_;
    QPlainTextEdit* comment_;
    QToolButton* help_;
    bool syncing_ = false;
};

}  // namespace veltrin
