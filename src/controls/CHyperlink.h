#pragma once

#include <QLabel>
#include <string>

namespace veltrin {

// Opens a web address, e-mail address or document the way the desktop
// would. Blank addresses open nothing. False when nothing was opened.
bool OpenHyperlink(const std::string& address);

// A label that shows an address as a link and opens it when clicked.
class CHyperlink : public QLabel {
    Q_OBJECT
public:
    explicit CHyperlink(const QString& text = {}, QWidget* parent = nullptr);

    // The address opened on a click; without one the shown text is used.
    void setAddress(const QString& address);
    QString address() const;

signals:
    void opened(bool ok);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString address_;
};

}  // namespace veltrin
