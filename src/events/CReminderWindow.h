#pragma once

#include <QDialog>
#include <QIcon>
#include <string>

#include "events/EventRecords.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QPlainTextEdit;

namespace veltrin {

class CBannerStrip;

// "Event": the window a fired reminder shows, on top of everything, with the
// event's name, the moment it opened and the comment, all read-only. Enter
// does nothing; Escape and the close button only hide it.
class CReminderWindow : public QDialog {
    Q_OBJECT
public:
    // A null icon means the program's icon.
    CReminderWindow(const std::string& name, const EventDetails& details, const QIcon& icon);

    const EventDetails& details() const { return details_; }
    QLineEdit* nameField() const { return name_; }
    QLineEdit* deadlineField() const { return deadline_; }
    QPlainTextEdit* commentField() const { return comment_; }
    CBannerStrip* banner() const { return banner_; }
    QComboBox* snoozeChoice() const { return snoozeChoice_; }
    QPushButton* snoozeButton() const { return snoozeButton_; }

signals:
    // "Snooze" was pressed with a choice of SnoozeChoiceTexts; the window hides.
    void snoozed(int choice);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    EventDetails details_;
    CBannerStrip* banner_;
    QLineEdit* name_;
    QLineEdit* deadline_;
    QPlainTextEdit* comment_;
    QComboBox* snoozeChoice_;
    QPushButton* snoozeButton_;
};

}  // namespace veltrin
