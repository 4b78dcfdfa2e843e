#pragma once

#include <QColor>
#include <QWidget>

namespace veltrin {

// The caption strip at the top of a view: a left-to-right gradient between
// two colours with the caption 10 pixels from the left, in the header font
// (the widget's font) and colour.
class CHeaderStrip : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTextMargin = 10;

    explicit CHeaderStrip(const QString& caption = {}, QWidget* parent = nullptr);

    void setCaption(const QString& caption);
    QString caption() const { return caption_; }
    void setTextColour(const QColor& colour);
    QColor textColour() const { return textColour_; }
    void setGradient(const QColor& left, const QColor& right);
    QColor gradientLeft() const { return left_; }
    QColor gradientRight() const { return right_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    QColor textColour_ = Qt::black;
    QColor left_ = Qt::black, right_ = Qt::white;
};

}  // namespace veltrin
