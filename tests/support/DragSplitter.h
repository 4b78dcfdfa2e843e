#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include "controls/CSplitter.h"

namespace veltrin::test {

// Takes the bar by its middle and lets it go with its left edge at toX.
inline void DragSplitter(CSplitter* bar, int toX) {
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(2, 50));
    QMouseEvent move(QEvent::MouseMove, QPointF(toX - bar->x() + 2, 50),
                     bar->mapToGlobal(QPointF(toX - bar->x() + 2, 50)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(bar, &move);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(2, 50));
}

}  // namespace veltrin::test
