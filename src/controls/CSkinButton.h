#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>

namespace veltrin {

// A button drawn from three pictures (normal, checked-or-pressed, hover) at
// their own size, with its caption over them and no border or focus mark.
// The caption is also its tooltip. As a radio button it is checked when a
// click (or the space key) is released on it and unchecks the other radio
// buttons beside it; as a check box it toggles.
class CSkinButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Kind { Push, Radio, CheckBox };
    enum class Look { Normal, Hover, Selected };

    explicit CSkinButton(QWidget* parent = nullptr, Kind kind = Kind::Push);
    CSkinButton(const QString& caption, QWidget* parent, Kind kind = Kind::Push);

    void setKind(Kind kind);
    Kind kind() const { return kind_; }

    void setBitmaps(const QPixmap& normal, const QPixmap& selected, const QPixmap& hover);
    const QPixmap& bitmap(Look look) const;

    // Sets the text and the tooltip together.
    void setCaption(const QString& caption);
    void setTextColour(const QColor& colour);
    QColor textColour() const { return textColour_; }

    // The picture the button shows in its present state.
    Look look() const;
    bool isHovered() const { return hovered_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void drawFallbackFace(QPainter& p, Look look) const;

    Kind kind_ = Kind::Push;
    QPixmap normal_, selected_, hover_;
    QColor textColour_ = Qt::black;
    bool hovered_ = false;
};

}  // namespace veltrin
