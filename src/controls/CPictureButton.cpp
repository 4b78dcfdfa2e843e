#include "controls/CPictureButton.h"

namespace veltrin {

CPictureButton::CPictureButton(int command, const QIcon& icon, const QString& label, QWidget* parent,
                               bool withText)
    : QToolButton(parent), command_(command) {
    setIcon(icon);
    setIconSize(QSize(16, 16));
    QString tip = label;
    tip.remove(QLatin1Char('&'));
    setToolTip(tip);
    setText(label);
    setFocusPolicy(withText ? Qt::StrongFocus : Qt::NoFocus);
    if (withText) {
        setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        setMinimumHeight(24);
    } else {
        setToolButtonStyle(Qt::ToolButtonIconOnly);
        setAutoRaise(true);
        setFixedSize(20, 20);
    }
    connect(this, &QToolButton::clicked, this, [this] { emit commandTriggered(command_); });
}

}  // namespace veltrin
