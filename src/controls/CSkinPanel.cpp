#include "controls/CSkinPanel.h"

#include <QPainter>

#include "controls/QtSkinPainting.h"

namespace veltrin {

CSkinPanel::CSkinPanel(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void CSkinPanel::setSkin(const QImage& background) {
    skin_ = background;
    update();
}

void CSkinPanel::setPanelColour(const QColor& colour) {
    panelColour_ = colour;
    update();
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
