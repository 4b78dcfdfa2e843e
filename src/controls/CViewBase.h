#pragma once

#include <QColor>
#include <QFont>
#include <QImage>

#include "controls/CSkinPanel.h"
#include "controls/SkinPainting.h"

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

    // Settings the views that need them act on.
    virtual void setListColours(const ListColours&) {}
    virtual void setToolbarColour(const QColor&) {}
    virtual void setButtonTextColour(const QColor&) {}
    virtual void setCommandFaces(const FacePixmaps&) {}
    virtual void setDayInfoFont(const QFont&, const QColor&) {}

    // The window's view switch. The Today and Events views run their tick
    // while shown, at the period given.
    virtual void viewShown(int /*tickMs*/) {}
    virtual void viewHidden() {}
    virtual void setTickPeriod(int /*tickMs*/) {}

    // Event lists: whether rows are held, and giving them back to the store.
    virtual bool holdsListRows() const { return false; }
    virtual void commitList() {}

    // SaveAll's step for this view: take the controls' state into the data
    // and store the view's file.
    virtual void saveStep() {}

protected:
    void resizeEvent(QResizeEvent* event) override;
    // The area below the caption strip, inside the frame, for the view's own controls.
    QRect contentRect() const;

private:
    CHeaderStrip* header_;
};

}  // namespace veltrin
