#include "controls/CPopupMenu.h"

#include <QPainter>

namespace veltrin {

CPopupMenu::CPopupMenu(QWidget* parent) : QMenu(parent) {}

QAction* CPopupMenu::addCommand(int command, const QString& text, const QIcon& icon, bool checked) {
    QAction* action = addAction(icon, text);
    action->setData(command);
    if (checked) {
        action->setCheckable(true);
        action->setChecked(true);
    }
    return action;
}

CPopupMenu* CPopupMenu::addSubmenu(const QString& title, const QIcon& icon) {
    auto* sub = new CPopupMenu(this);
    sub->setTitle(title);
    sub->setIcon(icon);
    addMenu(sub);
    return sub;
}

void CPopupMenu::setSideTitle(const QString& title) {
    sideTitle_ = title;
    setContentsMargins(title.isEmpty() ? 0 : kSideWidth, 0, 0, 0);
    update();
}

int CPopupMenu::commandOf(const QAction* action) { return action ? action->data().toInt() : 0; }

int CPopupMenu::execAt(const QPoint& globalPos) { return commandOf(exec(globalPos)); }

int CPopupMenu::execAbove(const QPoint& globalPos) {
    ensurePolished();
    return commandOf(exec(globalPos - QPoint(0, sizeHint().height())));
}

int CPopupMenu::execUnder(const QWidget* anchor) {
    return commandOf(exec(anchor->mapToGlobal(QPoint(0, anchor->height()))));
}

void CPopupMenu::paintEvent(QPaintEvent* event) {
    QMenu::paintEvent(event);
    if (sideTitle_.isEmpty()) return;
    QPainter p(this);
    const QRect band(0, 0, kSideWidth, height());
    QLinearGradient g(0, height(), 0, 0);
    g.setColorAt(0, QColor(28, 58, 118));
    g.setColorAt(1, QColor(96, 150, 220));
    p.fillRect(band, g);
    // The title reads upwards from the bottom corner.
    QFont f = font();
    f.setBold(true);
    f.setPixelSize(13);
    p.setFont(f);
    p.setPen(Qt::white);
    p.translate(0, height());
    p.rotate(-90);
    p.drawText(QRect(6, 0, height() - 12, kSideWidth), Qt::AlignLeft | Qt::AlignVCenter, sideTitle_);
}

}  // namespace veltrin
