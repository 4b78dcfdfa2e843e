#include "controls/CViewBase.h"

#include "controls/CHeaderStrip.h"
#include "controls/QtSkinPainting.h"

namespace veltrin {

CViewBase::CViewBase(const QString& caption, QWidget* parent)
    : CSkinPanel(parent), header_(new CHeaderStrip(caption, this)) {
    header_->setObjectName(QStringLiteral("header"));
}

void CViewBase::setHeaderFont(const QFont& font) {
    header_->setFont(font);
    header_->updateGeometry();
    resizeEvent(nullptr);
}

void CViewBase::setHeaderColours(const QColor& text, const QColor& left, const QColor& right) {
    header_->setTextColour(text);
    header_->setGradient(left, right);
}

void CViewBase::resizeEvent(QResizeEvent*) {
    const int m = kSkinFrameWidth;
    header_->setGeometry(m, m, std::max(0, width() - 2 * m), header_->sizeHint().height());
}

QRect CViewBase::contentRect() const {
    const int m = kSkinFrameWidth;
    const int top = header_->geometry().bottom() + 1 + m;
    return QRect(m, top, std::max(0, width() - 2 * m), std::max(0, height() - top - m));
}

}  // namespace veltrin
