#pragma once

#include <QMenu>

namespace veltrin {

// A popup menu whose items carry a 16 × 16 icon and a command number, with an
// optional side title drawn upwards along its left edge. The exec calls
// return the chosen item's command, or 0 when the menu was dismissed.
class CPopupMenu : public QMenu {
    Q_OBJECT
public:
    static constexpr int kSideWidth = 22;

    explicit CPopupMenu(QWidget* parent = nullptr);

    QAction* addCommand(int command, const QString& text, const QIcon& icon = {}, bool checked = false);
    CPopupMenu* addSubmenu(const QString& title, const QIcon& icon = {});

    void setSideTitle(const QString& title);
    QString sideTitle() const { return sideTitle_; }

    // Top-left corner at the point (global coordinates).
    int execAt(const QPoint& globalPos);
    // Bottom edge at the point, opening upwards (the tray).
    int execAbove(const QPoint& globalPos);
    // Top-left corner at the lower-left corner of the widget.
    int execUnder(const QWidget* anchor);

    static int commandOf(const QAction* action);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString sideTitle_;
};

}  // namespace veltrin
