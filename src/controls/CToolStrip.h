#pragma once

#include <QColor>
#include <QWidget>

class QHBoxLayout;

namespace veltrin {

class CPictureButton;

// A view's tool strip: a row of 20-pixel picture buttons with gaps between
// groups, on the strip colour the settings choose.
class CToolStrip : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 22;

    explicit CToolStrip(QWidget* parent = nullptr);

    CPictureButton* addButton(int command, const QIcon& icon, const QString& label);
    void addSeparator();
    CPictureButton* button(int command) const;

    void setStripColour(const QColor& colour);
    QColor stripColour() const { return colour_; }

    QSize sizeHint() const override;

signals:
    void commandTriggered(int command);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QHBoxLayout* layout_;
    QColor colour_ = Qt::white;
};

}  // namespace veltrin
