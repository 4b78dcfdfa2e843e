#pragma once

#include <QDialog>
#include <vector>

#include "events/ReminderEngine.h"

class QLabel;
class QTreeWidget;

namespace veltrin {

// "Missed reminders": the reminders that came due while the program was not
// running or the machine slept, listed together with their due times and
// comments. Their files were not run and no sound played for them.
class CMissedRemindersWindow : public QDialog {
    Q_OBJECT
public:
    CMissedRemindersWindow();

    // Adds the reminders to the list, below those already there.
    void addReminders(const std::vector<DueReminder>& missed);

    QTreeWidget* list() const { return list_; }
    QLabel* note() const { return note_; }

private:
    QLabel* note_;
    QTreeWidget* list_;
};

}  // namespace veltrin
