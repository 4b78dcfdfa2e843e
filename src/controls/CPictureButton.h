#pragma once

#include <QToolButton>

namespace veltrin {

// A flat button showing a 16 × 16 icon, with its label as tooltip; with
// `withText` the label is also shown beside the icon (dialog buttons).
// A click sends its command number.
class CPictureButton : public QToolButton {
    Q_OBJECT
public:
    CPictureButton(int command, const QIcon& icon, const QString& label, QWidget* parent = nullptr,
                   bool withText = false);

    int command() const { return command_; }

signals:
    void commandTriggered(int command);

private:
    int command_;
};

}  // namespace veltrin
