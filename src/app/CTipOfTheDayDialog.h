#pragma once

#include <QDialog>

#include "settings/AppSettings.h"

class QCheckBox;
class QLabel;

namespace veltrin {

// "Tip of the Day": one tip at a time, Previous and Next wrapping round the
// list; its check box is showTipsAtStartup itself.
class CTipOfTheDayDialog : public QDialog {
    Q_OBJECT
public:
    CTipOfTheDayDialog(AppSettings& settings, unsigned random, QWidget* parent = nullptr);

    int tip() const { return tip_; }
    QString tipText() const;
    QCheckBox* startUpBox() const { return startUp_; }
    void showNext();
    void showPrevious();

private:
    void showTip(int index);

    AppSettings& settings_;
    int tip_ = 0;
    QLabel* text_ = nullptr;
    QCheckBox* startUp_ = nullptr;
};

}  // namespace veltrin
