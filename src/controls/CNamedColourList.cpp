#include "controls/CNamedColourList.h"

#include <QPainter>

#include "base/NamedColours.h"
#include "imaging/QtPicture.h"

namespace veltrin {

CNamedColourList::CNamedColourList(QWidget* parent) : QComboBox(parent) {
    setIconSize(QSize(28, 12));
    for (const NamedColour& entry : NamedColours()) {
        QPixmap swatch(iconSize());
        swatch.fill(QColorFromColour(entry.value));
        QPainter p(&swatch);
        p.setPen(QColor(96, 96, 96));
        p.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
        p.end();
        addItem(QIcon(swatch), QString::fromLatin1(entry.name), entry.value);
    }
    setMaxVisibleItems(16);
}

void CNamedColourList::selectColour(Colour colour) { setCurrentIndex(NamedColourIndex(colour)); }

}  // namespace veltrin
