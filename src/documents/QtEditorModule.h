#pragma once

#include <QString>

class QWidget;

namespace veltrin {

class CDocumentEditor;

// The module's one entry, found by name once it is loaded.
using EditorFactory = CDocumentEditor* (*)(QWidget* parent);
inline constexpr char kEditorFactoryName[] = "VeltrinMakeEditor";
// Names another module file (for tests and for a moved installation).
inline constexpr char kEditorModuleVariable[] = "VELTRIN_EDITOR_MODULE";

// Before QApplication exists: what the HTML engine needs of the application
// object, set without loading the engine. It shares GL contexts, and it runs
// without its sandbox as root, where it refuses to start otherwise.
void PrepareDocumentEngine();

// A new document editor. The first call loads the editor module; when that
// fails, the user is told once, and every editor is a stand-in that shows
// why and leaves every page as stored.
CDocumentEditor* MakeDocumentEditor(QWidget* parent);
// Why the module could not be loaded; empty when it was, or before the
// first editor.
QString EditorModuleError();

}  // namespace veltrin
