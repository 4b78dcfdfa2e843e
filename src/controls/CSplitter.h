#pragma once

#include <QWidget>

namespace veltrin {

// The 5-pixel vertical bar between the two halves of a view. It can be
// dragged from `left` pixels left to `right` pixels right of its starting
// place; drags add up within that range. On release it reports how far it
// moved.
class CSplitter : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 5;

    explicit CSplitter(QWidget* parent = nullptr);

    // Takes the given place as the bar's starting place and stands the bar
    // there, moved by the drags so far.
    void placeAt(const QRect& start);
    void setDragRange(int left, int right);
    // How far the drags so far have moved the bar right of its starting place.
    int offset() const { return offset_; }
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
    int offset_ = 0;
    int left_ = 200, right_ = 300;
    int pressX_ = 0;      // the bar's x when the drag began
    int grabOffset_ = 0;  // where in the bar the pointer took it
    bool dragging_ = false;
};

}  // namespace veltrin
