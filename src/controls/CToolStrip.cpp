#include "controls/CToolStrip.h"

#include <QHBoxLayout>
#include <QPainter>

#include "controls/CPictureButton.h"

namespace veltrin {

namespace {

// The gap between groups, with an etched line in its middle.
class StripGap : public QWidget {
public:
    explicit StripGap(QWidget* parent) : QWidget(parent) { setFixedSize(8, 20); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(palette().color(QPalette::Mid));
        p.drawLine(3, 3, 3, height() - 4);
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(4, 3, 4, height() - 4);
    }
};

}  // namespace

CToolStrip::CToolStrip(QWidget* parent) : QWidget(parent), layout_(new QHBoxLayout(this)) {
    layout_->setContentsMargins(1, 1, 1, 1);
    layout_->setSpacing(0);
    layout_->addStretch(1);
    setFixedHeight(kHeight);
}

CPictureButton* CToolStrip::addButton(int command, const QIcon& icon, const QString& label) {
    auto* b = new CPictureButton(command, icon, label, this);
    layout_->insertWidget(layout_->count() - 1, b);
    connect(b, &CPictureButton::commandTriggered, this, &CToolStrip::commandTriggered);
    return b;
}

void CToolStrip::addSeparator() { layout_->insertWidget(layout_->count() - 1, new StripGap(this)); }

CPictureButton* CToolStrip::button(int command) const {
    for (CPictureButton* b : findChildren<CPictureButton*>())
        if (b->command() == command) return b;
    return nullptr;
}

void CToolStrip::setStripColour(const QColor& colour) {
    colour_ = colour;
    update();
}

QSize CToolStrip::sizeHint() const { return QSize(layout_->sizeHint().width(), kHeight); }

void CToolStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // A light sheen over the chosen colour, and a hairline border.
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, colour_.lighter(106));
    g.setColorAt(1, colour_.darker(104));
    p.fillRect(rect(), g);
    p.setPen(colour_.darker(130));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace veltrin
