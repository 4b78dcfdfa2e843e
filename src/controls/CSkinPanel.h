#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

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

protected:
    // Draws background and frame; a view's own painting comes after.
    void paintEvent(QPaintEvent* event) override;

private:
    QImage skin_;
    QColor panelColour_ = Qt::white;
};

}  // namespace veltrin
