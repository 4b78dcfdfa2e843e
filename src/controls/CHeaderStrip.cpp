#include "controls/CHeaderStrip.h"

#include <QPainter>

namespace veltrin {

CHeaderStrip::CHeaderStrip(const QString& caption, QWidget* parent) : QWidget(parent), caption_(caption) {}

void CHeaderStrip::setCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void CHeaderStrip::setTextColour(const QColor& colour) {
    textColour_ = colour;
    update();
}

void CHeaderStrip::setGradient(const QColor& left, const QColor& right) {
    left_ = left;
    right_ = right;
    update();
}

QSize CHeaderStrip::sizeHint() const { return QSize(200, QFontMetrics(font()).height() + 10); }

void CHeaderStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient g(0, 0, width(), 0);
    g.setColorAt(0, left_);
    g.setColorAt(1, right_);
    p.fillRect(rect(), g);
    p.setFont(font());
    p.setPen(textColour_);
    const QRect area = rect().adjusted(kTextMargin, 0, -kTextMargin, 0);
    p.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               QFontMetrics(font()).elidedText(caption_, Qt::ElideRight, area.width()));
}

}  // namespace veltrin
