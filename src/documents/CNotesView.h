#pragma once

#include "controls/CViewBase.h"
#include "documents/DocumentTrees.h"

namespace veltrin {

// The Notes view of the main window.
class CNotesView : public CViewBase {
    Q_OBJECT
public:
    explicit CNotesView(QWidget* parent = nullptr);

    // SaveAll's view of the note tree; the view first takes the editor's
    // text into the current note.
    NoteViews saveState();
};

}  // namespace veltrin
