#include "controls/CColourPicker.h"

#include <QColorDialog>
#include <QFrame>
#include <QGridLayout>
#include <QPainter>
#include <QScreen>
#include <QStyleOptionButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "base/NamedColours.h"
#include "imaging/QtPicture.h"

namespace veltrin {

namespace {

constexpr int kSquare = 18;

QPixmap Swatch(Colour colour, int size) {
    QPixmap p(size, size);
    p.fill(QColorFromColour(colour));
    QPainter painter(&p);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(0, 0, size - 1, size - 1);
    return p;
}

}  // namespace

CColourPicker::CColourPicker(QWidget* parent, const QString& text) : QPushButton(text, parent) {
    // Enter in a dialog must not open a palette.
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, &CColourPicker::openPopup);
}

void CColourPicker::setColour(Colour colour) {
    if (colour == colour_) return;
    colour_ = colour;
    update();
    emit colourChanged(colour_);
}

QSize CColourPicker::sizeHint() const {
    const QSize base = QPushButton::sizeHint();
    return {std::max(base.width(), text().isEmpty() ? 48 : base.width() + kSquare + 6), base.height()};
}

void CColourPicker::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter p(this);
    // The swatch fills the button, or sits left of the text when there is one.
    const QRect inner = rect().adjusted(5, 5, -5, -5);
    const QRect swatch =
        text().isEmpty() ? inner : QRect(inner.topLeft(), QSize(inner.height(), inner.height()));
    p.fillRect(swatch, QColorFromColour(colour_));
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    p.drawRect(swatch.adjusted(0, 0, -1, -1));
}

void CColourPicker::openPopup() {
    if (popup_) return;
    popup_ = new QFrame(this, Qt::Popup);
    popup_->setAttribute(Qt::WA_DeleteOnClose);
    popup_->setFrameShape(QFrame::StyledPanel);

    auto* column = new QVBoxLayout(popup_);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(4);
    auto textBox = [this](const QString& text, const char* name) {
        auto* b = new QToolButton(popup_);
        b->setText(text);
        b->setObjectName(QLatin1String(name));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        return b;
    };
    QToolButton* automatic = textBox(QStringLiteral("Automatic"), "automatic");
    automatic->setIcon(Swatch(automatic_, 12));
    connect(automatic, &QToolButton::clicked, this, [this] { choose(automatic_); });
    column->addWidget(automatic);

    auto* grid = new QGridLayout;
    grid->setSpacing(2);
    const auto& palette = PaletteColours();
    for (int i = 0; i < kPaletteColumns * kPaletteRows; ++i) {
        const NamedColour& entry = palette[static_cast<std::size_t>(i)];
        auto* square = new QToolButton(popup_);
        square->setObjectName(QStringLiteral("palette%1").arg(i));
        square->setToolTip(QString::fromLatin1(entry.name));
        square->setIcon(Swatch(entry.value, kSquare - 4));
        square->setIconSize(QSize(kSquare - 4, kSquare - 4));
        square->setFixedSize(kSquare + 2, kSquare + 2);
        square->setAutoRaise(true);
        connect(square, &QToolButton::clicked, this, [this, v = entry.value] { choose(v); });
        grid->addWidget(square, i / kPaletteColumns, i % kPaletteColumns);
    }
    column->addLayout(grid);

    QToolButton* more = textBox(QStringLiteral("More Colours..."), "more");
    connect(more, &QToolButton::clicked, this, &CColourPicker::chooseMore);
    column->addWidget(more);

    // Under the button, kept on the screen; above it when it would pass the bottom.
    popup_->adjustSize();
    const QSize size = popup_->sizeHint();
    QPoint at = mapToGlobal(QPoint(0, height()));
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - size.width() + 1)));
        if (at.y() + size.height() > area.bottom() + 1)
            at.setY(mapToGlobal(QPoint(0, 0)).y() - size.height());
    }
    popup_->move(at);
    popup_->show();
}

void CColourPicker::choose(Colour colour) {
    if (popup_) popup_->close();
    setColour(colour);
}

void CColourPicker::chooseMore() {
    if (popup_) popup_->close();
    const QColor chosen = QColorDialog::getColor(QColorFromColour(colour_), window());
    if (chosen.isValid()) setColour(ColourFromRgb(FromQColor(chosen)));
}

}  // namespace veltrin
