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

// Before QApplication exists: what the HTML engine needs then, set without
// loading the engine: it runs without its sandbox as root, where it refuses
// to start otherwise. The GL context it shares is made with the first editor.
void PrepareDocumentEngine();

// The editor draws through its window's GL surface. A window made without
// one is made anew when the first editor comes (it flickers, and the desktop
// sees a new window), so a hidden stand-in asks for that surface; called
// before the window is first shown, as a window drawn through GL loads the
// GL driver. Only on a desktop's display: the offscreen platform cannot draw
// a window so.
void PrepareEditorSurface(QWidget* window);

// The GL driver that a window drawn through GL loads when it is first made
// (tens of megabytes to map and bind), as a function that loads it ahead,
// for the window's thread while it waits for the files; null where no window
// will draw through GLX. Decided before QApplication, from the environment
// the application object will read.
using DriverWarmUp = void (*)();
DriverWarmUp EditorSurfaceDriverWarmUp();

// A new document editor. The first call loads the editor module; when that
// fails, the user is told once, and every editor is a stand-in that shows
// why and leaves every page as stored.
CDocumentEditor* MakeDocumentEditor(QWidget* parent);
// Why the module could not be loaded; empty when it was, or before the
// first editor.
QString EditorModuleError();

}  // namespace veltrin
