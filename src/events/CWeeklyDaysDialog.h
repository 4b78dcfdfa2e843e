#pragma once

#include <QDialog>
#include <string>

class QListWidget;

namespace veltrin {

// "Weekly days": ticks the days of a custom day set, Monday to Sunday.
class CWeeklyDaysDialog : public QDialog {
    Q_OBJECT
public:
    CWeeklyDaysDialog(const std::string& days, QWidget* parent = nullptr);

    // The ticked days as day digits in the order "2345671" (after OK).
    const std::string& days() const { return days_; }
    QListWidget* list() const { return list_; }

    void accept() override;

private:
    std::string days_;
    QListWidget* list_;
};

}  // namespace veltrin
