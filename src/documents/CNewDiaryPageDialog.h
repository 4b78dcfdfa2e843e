#pragma once

#include <QDialog>
#include <cstdint>

class QCalendarWidget;

namespace veltrin {

// Picks the day of a new diary page.
class CNewDiaryPageDialog : public QDialog {
    Q_OBJECT
public:
    explicit CNewDiaryPageDialog(QWidget* parent = nullptr);

    QCalendarWidget* calendar() const { return calendar_; }
    // The picked day at local midnight.
    std::int32_t pickedDay() const;

private:
    void renewTitle();
    QCalendarWidget* calendar_;
};

}  // namespace veltrin
