// The editor module's entry: the program loads this module when a page is
// first needed and makes every editor through it (by kEditorFactoryName).
#include <type_traits>

#include "documents/CHtmlEditor.h"
#include "documents/QtEditorModule.h"

extern "C" Q_DECL_EXPORT veltrin::CDocumentEditor* VeltrinMakeEditor(QWidget* parent) {
    return new veltrin::CHtmlEditor(parent);
}

static_assert(std::is_same_v<decltype(&VeltrinMakeEditor), veltrin::EditorFactory>);
