#include "controls/CSkinButton.h"

#include <algorithm>

#include <QEnterEvent>
#include <QPainter>

namespace veltrin {

namespace {
// Tooltips show the caption without its mnemonic marks.
QString plainCaption(QString caption) {
    caption.replace(QLatin1String("&&"), QStringLiteral("\x01"));
    caption.remove(QLatin1Char('&'));
    caption.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return caption;
}
}  // namespace

CSkinButton::CSkinButton(QWidget* parent, Kind kind) : QAbstractButton(parent) {
    setKind(kind);
    setAttribute(Qt::WA_Hover);
}

CSkinButton::CSkinButton(const QString& caption, QWidget* parent, Kind kind) : CSkinButton(parent, kind) {
    setCaption(caption);
}

void CSkinButton::setKind(Kind kind) {
    kind_ = kind;
    setCheckable(kind != Kind::Push);
    setAutoExclusive(kind == Kind::Radio);
    update();
}

void CSkinButton::setBitmaps(const QPixmap& normal, const QPixmap& selected, const QPixmap& hover) {
    normal_ = normal;
    selected_ = selected;
    hover_ = hover;
    updateGeometry();
    update();
}

const QPixmap& CSkinButton::bitmap(Look look) const {
    switch (look) {
    case Look::Hover: return hover_;
    case Look::Selected: return selected_;
    case Look::Normal: break;
    }
    return normal_;
}

void CSkinButton::setCaption(const QString& caption) {
    setText(caption);
    setToolTip(plainCaption(caption));
    update();
}

void CSkinButton::setTextColour(const QColor& colour) {
    textColour_ = colour;
    update();
}

CSkinButton::Look CSkinButton::look() const {
    if (!isEnabled()) return Look::Normal;
    if (isDown() || isChecked()) return Look::Selected;
    if (hovered_) return Look::Hover;
    return Look::Normal;
}

QSize CSkinButton::sizeHint() const {
    if (!normal_.isNull()) return normal_.size() / normal_.devicePixelRatio();
    const QFontMetrics fm(font());
    return QSize(fm.horizontalAdvance(text()) + 24 + (icon().isNull() ? 0 : 20), fm.height() + 12);
}

void CSkinButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CSkinButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void CSkinButton::changeEvent(QEvent* event) {
    // A hidden or disabled button gets no leave event; drop the hover look.
    if (event->type() == QEvent::EnabledChange && !isEnabled()) hovered_ = false;
    QAbstractButton::changeEvent(event);
}

void CSkinButton::drawFallbackFace(QPainter& p, Look look) const {
    // Before the skin has been applied: a plain raised or sunken panel.
    const QRect r = rect().adjusted(0, 0, -1, -1);
    QLinearGradient g(0, 0, 0, height());
    const QColor base = palette().color(QPalette::Button);
    g.setColorAt(0,
                 look == Look::Selected ? base.darker(115) : base.lighter(look == Look::Hover ? 112 : 104));
    g.setColorAt(1, look == Look::Selected ? base : base.darker(108));
    p.fillRect(r, g);
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(r);
}

void CSkinButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const Look current = look();
    const QPixmap& face = bitmap(current).isNull() ? normal_ : bitmap(current);
    if (face.isNull()) {
        drawFallbackFace(p, current);
    } else {
        p.drawPixmap(0, 0, face);
    }

    QRect area = rect().adjusted(2, 2, -2, -2);
    if (current == Look::Selected) area.translate(1, 1);
    p.setFont(font());
    // Icon and caption are centred together.
    const QFontMetrics fm(font());
    const int textWidth = text().isEmpty() ? 0 : fm.horizontalAdvance(plainCaption(text()));
    const int iconSize = icon().isNull() ? 0 : 16;
    const int gap = iconSize && textWidth ? 4 : 0;
    const int total = iconSize + gap + textWidth;
    int x = area.left() + std::max(0, (area.width() - total) / 2);
    if (iconSize) {
        const QRect iconRect(x, area.top() + (area.height() - iconSize) / 2, iconSize, iconSize);
        icon().paint(&p, iconRect, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        x += iconSize + gap;
    }
    if (text().isEmpty()) return;
    const QRect textRect = iconSize ? QRect(x, area.top(), area.right() - x + 1, area.height()) : area;
    const int flags = (iconSize ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter | Qt::TextSingleLine |
                      Qt::TextShowMnemonic;
    if (isEnabled()) {
        p.setPen(textColour_);
        p.drawText(textRect, flags, text());
    } else {
        // Etched: the highlight first, then grey text one pixel up and left.
        p.setPen(palette().color(QPalette::Light));
        p.drawText(textRect, flags, text());
        p.setPen(palette().color(QPalette::Disabled, QPalette::WindowText));
        p.drawText(textRect.translated(-1, -1), flags, text());
    }
}

}  // namespace veltrin
