#include "controls/CSkinPanel.h"

#include <QPainter>

#include "base/ColourContrast.h"
#include "controls/QtSkinPainting.h"
#include "imaging/QtPicture.h"

namespace veltrin {

CSkinPanel::CSkinPanel(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void CSkinPanel::setSkin(const QImage& background) {
    skin_ = background;
    update();
}

void CSkinPanel::setPanelColour(const QColor& colour) {
    panelColour_ = colour;
    for (QWidget* label : labels_) colourLabel(label);
    update();
}

void CSkinPanel::followPanelColour(QWidget* label) {
    labels_.push_back(label);
    colourLabel(label);
}

void CSkinPanel::colourLabel(QWidget* label) const {
    QPalette p = label->palette();
    p.setColor(QPalette::Window, panelColour_);
    p.setColor(QPalette::WindowText, ReadableTextOn(Qt::black, panelColour_));
    label->setPalette(p);
}

QColor ReadableTextOn(const QColor& wanted, const QColor& back) {
    return QColorFromColour(
        ReadableTextColour(ColourFromRgb(FromQColor(wanted)), ColourFromRgb(FromQColor(back))));
}

void CSkinPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (skin_.isNull()) {
        p.fillRect(rect(), panelColour_);
        return;
    }
    PaintSkinBackground(p, skin_, rect());
    PaintSkinFrame(p, skin_, rect());
}

}  // namespace veltrin
