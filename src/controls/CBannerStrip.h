#pragma once

#include <QIcon>
#include <QWidget>

namespace veltrin {

// The banner across the top of the reminder window: the program's icon and
// the event's name on a deep gradient.
class CBannerStrip : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 48;

    explicit CBannerStrip(QWidget* parent = nullptr);

    void setIcon(const QIcon& icon);
    void setText(const QString& text);
    QString text() const { return text_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QIcon icon_;
    QString text_;
};

}  // namespace veltrin
