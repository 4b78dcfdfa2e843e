#include "documents/QtNoteIcons.h"

#include <QPainter>
#include <QPainterPath>

namespace veltrin {

namespace {

QPixmap DrawNoteIcon(int index) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor base = QColor::fromHsv((index % 23) * 360 / 23, 110, 240);
    // A sheet with its top-right corner folded.
    QPainterPath sheet;
    sheet.moveTo(2.5, 1.5);
    sheet.lineTo(10.5, 1.5);
    sheet.lineTo(13.5, 4.5);
    sheet.lineTo(13.5, 14.5);
    sheet.lineTo(2.5, 14.5);
    sheet.closeSubpath();
    p.setPen(QPen(base.darker(190), 1));
    p.setBrush(base);
    p.drawPath(sheet);
    p.setBrush(base.lighter(125));
    p.drawPolygon(QPolygonF({QPointF(10.5, 1.5), QPointF(10.5, 4.5), QPointF(13.5, 4.5)}));
    p.setPen(QPen(base.darker(160), 1));
    for (int y = 7; y <= 12; y += 2) p.drawLine(QPointF(4.5, y + 0.5), QPointF(11.5, y + 0.5));
    if (index >= 23) {
        // The marked variant: a round pin at the top left.
        p.setPen(QPen(QColor(120, 20, 20), 1));
        p.setBrush(QColor(220, 50, 50));
        p.drawEllipse(QPointF(4.5, 4.5), 2.5, 2.5);
    }
    return pixmap;
}

}  // namespace

const std::vector<QPixmap>& NoteIcons() {
    static const std::vector<QPixmap> icons = [] {
        std::vector<QPixmap> list;
        for (int i = 0; i < 46; ++i) list.push_back(DrawNoteIcon(i));
        return list;
    }();
    return icons;
}

}  // namespace veltrin
