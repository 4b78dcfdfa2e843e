#include "controls/CBannerStrip.h"

#include <QPainter>
#include <QTextDocument>

namespace veltrin {

CBannerStrip::CBannerStrip(QWidget* parent) : QWidget(parent) { setFixedHeight(kHeight); }

void CBannerStrip::setIcon(const QIcon& icon) {
    icon_ = icon;
    update();
}

void CBannerStrip::setText(const QString& text) {
    text_ = text;
    // A tool tip reads markup where it finds some; a name is shown as typed.
    setToolTip(Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal) : text);
    update();
}

QSize CBannerStrip::sizeHint() const { return QSize(320, kHeight); }

void CBannerStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, width(), height());
    g.setColorAt(0, QColor(28, 58, 118));
    g.setColorAt(1, QColor(84, 138, 210));
    p.fillRect(rect(), g);
    // A soft light along the top edge.
    QLinearGradient sheen(0, 0, 0, height() / 2);
    sheen.setColorAt(0, QColor(255, 255, 255, 60));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(QRect(0, 0, width(), height() / 2), sheen);

    int x = 10;
    if (!icon_.isNull()) {
        icon_.paint(&p, QRect(x, (height() - 32) / 2, 32, 32));
        x += 32 + 10;
    }
    QFont f = font();
    f.setBold(true);
    f.setPixelSize(16);
    p.setFont(f);
    const QRect area(x, 0, width() - x - 10, height());
    const QString shown = QFontMetrics(f).elidedText(text_, Qt::ElideRight, area.width());
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(area.translated(1, 1), Qt::AlignLeft | Qt::AlignVCenter, shown);
    p.setPen(Qt::white);
    p.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, shown);
}

}  // namespace veltrin
