#pragma once

#include <QWidget>

namespace veltrin {

// The 5-pixel vertical bar between the two halves of a view. It can be
// dragged from `left` pixels left to `right` pixels right of where it was
// first placed; on release it reports how far it moved.
class CSplitter : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 5;

    explicit CSplitter(QWidget* parent = nullptr);

    // Puts the bar over the given place; this is its starting position.
    void placeAt(const QRect& place);
    void setDragRange(int left, int right);
    // How far the bar now stands right of its starting position.
    int offset() const { return x() - startX_; }
    // Keeps the bar's column but follows the view's height.
    void setSpan(int top, int height);

signals:
    void moved(int delta);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int clampedX(int x) const;

    int startX_ = 0;
    int left_ = 200, right_ = 300;
    int pressX_ = 0;      // the bar's x when the drag began
    int grabOffset_ = 0;  // where in the bar the pointer took it
    bool dragging_ = false;
};

}  // namespace veltrin
