#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>
#include <vector>

namespace veltrin {

// A view's surface: the skin picture as background with the skin's frame
// around the edge. Views derive from it (or place it under their
// controls) and receive the tinted background and panel colour whenever
// the skin colour changes.
class CSkinPanel : public QWidget {
    Q_OBJECT
public:
    explicit CSkinPanel(QWidget* parent = nullptr);

    void setSkin(const QImage& background);
    const QImage& skin() const { return skin_; }
    // The colour of the view's plain panels (bands between its parts).
    void setPanelColour(const QColor& colour);
    QColor panelColour() const { return panelColour_; }
    // A label drawn on the panel: its background (when it fills one) takes
    // the panel colour, and its text black or white, whichever can be read.
    void followPanelColour(QWidget* label);

protected:
    // Draws background and frame; a view's own painting comes after.
    void paintEvent(QPaintEvent* event) override;

private:
    void colourLabel(QWidget* label) const;

    QImage skin_;
    QColor panelColour_ = Qt::white;
    std::vector<QWidget*> labels_;  // children, gone with the panel
};

// The colour to draw text in on a background: the wanted one while it can be
// read there, else black or white (ReadableTextColour).
QColor ReadableTextOn(const QColor& wanted, const QColor& back);

}  // namespace veltrin
