#pragma once

#include <QFrame>
#include <QPointer>
#include <QPushButton>

#include "base/Colour.h"

namespace veltrin {

// A button that holds one colour and shows it. A click opens a popup under
// it with "Automatic", the 8 × 5 palette (names as tooltips) and
// "More Colours...", which opens the desktop's colour dialog. Closing the
// popup without a choice keeps the colour.
class CColourPicker : public QPushButton {
    Q_OBJECT
public:
    explicit CColourPicker(QWidget* parent = nullptr, const QString& text = {});

    void setColour(Colour colour);
    Colour colour() const { return colour_; }
    // The colour "Automatic" stands for.
    void setAutomaticColour(Colour colour) { automatic_ = colour; }
    Colour automaticColour() const { return automatic_; }

    // Opens the popup (what a click does); it stays open until a choice or
    // a click elsewhere. The popup while it is open, else null.
    void openPopup();
    QFrame* popup() const { return popup_.data(); }

    QSize sizeHint() const override;

signals:
    void colourChanged(veltrin::Colour colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void choose(Colour colour);
    void chooseMore();

    Colour colour_ = 0;
    Colour automatic_ = 0;
    // Cleared by Qt when the popup goes, also while the picker itself is
    // being destroyed (a slot on our destroyed signal would run too late).
    QPointer<QFrame> popup_;
};

}  // namespace veltrin
