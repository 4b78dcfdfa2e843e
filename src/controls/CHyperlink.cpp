#include "controls/CHyperlink.h"

#include <QMouseEvent>

#include "platform/Platform.h"

namespace veltrin {

bool OpenHyperlink(const std::string& address) {
    const auto first = address.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return false;
    const auto last = address.find_last_not_of(" \t\r\n");
    return shell().open(address.substr(first, last - first + 1));
}

CHyperlink::CHyperlink(const QString& text, QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);  // an address is shown as typed, never as markup
    setText(text);
    setCursor(Qt::PointingHandCursor);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, pal.color(QPalette::Link));
    setPalette(pal);
}

void CHyperlink::setAddress(const QString& address) { address_ = address; }

QString CHyperlink::address() const { return address_.isEmpty() ? text() : address_; }

void CHyperlink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit opened(OpenHyperlink(address().toStdString()));
    QLabel::mouseReleaseEvent(event);
}

}  // namespace veltrin
