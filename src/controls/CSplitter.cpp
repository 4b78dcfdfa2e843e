#include "controls/CSplitter.h"

#include <algorithm>

#include <QMouseEvent>
#include <QPainter>

namespace veltrin {

CSplitter::CSplitter(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::SplitHCursor);
    resize(kWidth, 100);
}

void CSplitter::placeAt(const QRect& start) {
    startX_ = start.x();
    setGeometry(clampedX(startX_ + offset_), start.y(), kWidth, start.height());
}

void CSplitter::setDragRange(int left, int right) {
    left_ = std::max(0, left);
    right_ = std::max(0, right);
}

void CSplitter::setSpan(int top, int height) { setGeometry(x(), top, kWidth, height); }

int CSplitter::clampedX(int x) const { return std::clamp(x, startX_ - left_, startX_ + right_); }

void CSplitter::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    dragging_ = true;
    pressX_ = x();
    grabOffset_ = static_cast<int>(event->position().x());
    raise();
}

void CSplitter::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !parentWidget()) return;
    const int pointer = mapToParent(event->position().toPoint()).x();
    move(clampedX(pointer - grabOffset_), y());
}

void CSplitter::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton) return;
    dragging_ = false;
    offset_ = x() - startX_;
    const int delta = x() - pressX_;
    if (delta != 0) emit moved(delta);
}

void CSplitter::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QColor base = palette().color(QPalette::Window);
    p.fillRect(rect(), dragging_ ? base.darker(120) : base);
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(1, 0, 1, height());
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(kWidth - 2, 0, kWidth - 2, height());
}

}  // namespace veltrin
