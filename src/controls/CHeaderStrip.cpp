#include "controls/CHeaderStrip.h"

#include <QPainter>
#include <cstdlib>

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
    const QRect area = rect().adjusted(kTextMargin, 0, -kTextMargin, 0);
    const QString text = QFontMetrics(font()).elidedText(caption_, Qt::ElideRight, area.width());
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    // The caption starts over the gradient's left colour; where the chosen
    // text colour nearly matches it (black on black by default) a thin halo
    // of the opposite brightness keeps it readable.
    const int textLight = qGray(textColour_.rgb());
    if (std::abs(textLight - qGray(left_.rgb())) < 96) {
        p.setPen(textLight < 128 ? QColor(255, 255, 255, 200) : QColor(0, 0, 0, 200));
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                if (dx || dy) p.drawText(area.translated(dx, dy), flags, text);
    }
    p.setPen(textColour_);
    p.drawText(area, flags, text);
}

}  // namespace veltrin
