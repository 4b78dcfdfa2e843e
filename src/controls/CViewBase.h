#pragma once

#include <QColor>
#include <QFont>
#include <QImage>

#include "controls/CSkinPanel.h"
#include "controls/QtSkinPainting.h"

namespace veltrin {

class CHeaderStrip;

// What every view of the main window offers it: the skin surface with the
// caption strip along its top, the settings the window hands down, and the
// hooks the window calls when it shows, hides and saves.
class CViewBase : public CSkinPanel {
    Q_OBJECT
public:
    // Colours of the record lists, as the window applies them.
    struct ListColours {
        QColor text, back, selectedText, selectedBack;
        QColor timeColumn, priorityColumn;  // backgrounds of the event lists' columns 1 and 3
    };

    CViewBase(const QString& caption, QWidget* parent = nullptr);

    CHeaderStrip* header() const { return header_; }

    void setHeaderFont(const QFont& font);
    void setHeaderColours(const QColor& text, const QColor& left, const QColor& right);

    // Settings the window hands to every view; a view that shows none of
    // them keeps the default.
    virtual void setListColours(const ListColours&) {}
    virtual void setToolbarColour(const QColor&) {}
    virtual void setButtonTextColour(const QColor&) {}
    virtual void setCommandFaces(const FacePixmaps&) {}

    // The window's view switch. tickMs is the period of the view tick for
    // the views that run one (Today, Events), else 0.
    virtual void viewShown(int /*tickMs*/) {}
    virtual void viewHidden() {}

    // Anything a single view offers the window (its save state, its list,
    // its tick) is a member of that view's own class, reached through the
    // window's typed pointer.

protected:
    void resizeEvent(QResizeEvent* event) override;
    // The area below the caption strip, inside the frame, for the view's own controls.
    QRect contentRect() const;

private:
    CHeaderStrip* header_;
};

}  // namespace veltrin
