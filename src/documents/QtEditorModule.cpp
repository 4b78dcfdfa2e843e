#include "documents/QtEditorModule.h"

#include <QGuiApplication>
#include <QLibrary>
#include <QOpenGLContext>
#include <QOpenGLWidget>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <string>
#include <unistd.h>

#include "documents/CMissingEditor.h"
#include "documents/EditorModule.h"
#include "platform/ModuleFolder.h"
#include "platform/Platform.h"

QT_BEGIN_NAMESPACE
// Qt's own modules set the context the HTML engine shares its textures
// through with this; the application object calls it at start when
// Qt::AA_ShareOpenGLContexts is set.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
QT_END_NAMESPACE

namespace veltrin {

namespace {

struct LoadedModule {
    bool tried = false;
    EditorFactory make = nullptr;
    QString error;
};

LoadedModule module;

void DropSharedContext() {
    delete QOpenGLContext::globalShareContext();
    qt_gl_set_global_share_context(nullptr);
}

// What the application object does at start for the engine when asked to
// share GL contexts, done only now: making a GL context loads the whole GL
// driver, which a program in the tray never needs. Before the engine's
// libraries load (they look for the context then) and before a window
// draws through GL, so that window's context shares with it.
void ShareGlContexts() {
    if (QOpenGLContext::globalShareContext()) return;
    auto* context = new QOpenGLContext;
    context->create();
    qt_gl_set_global_share_context(context);
    qAddPostRoutine(DropSharedContext);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

const LoadedModule& Load() {
    if (!module.tried) {
        module.tried = true;
        ShareGlContexts();
        QLibrary library(
            QString::fromStdString(EditorModulePathOf(ExecutablePath(), std::getenv(kEditorModuleVariable))));
        // Kept loaded for the rest of the run: its editors live until the end.
        module.make = reinterpret_cast<EditorFactory>(library.resolve(kEditorFactoryName));
        if (!module.make) {
            module.error = library.errorString();
            messages().notice(CMissingEditor::Explanation(module.error).toStdString());
        }
    }
    return module;
}

}  // namespace

void PrepareDocumentEngine() {
    if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

void PrepareEditorSurface(QWidget* window) {
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("xcb") && !platform.startsWith(QLatin1String("wayland"))) return;
    if (window->findChild<QOpenGLWidget*>(QStringLiteral("surface"), Qt::FindDirectChildrenOnly)) return;
    auto* surface = new QOpenGLWidget(window);
    surface->setObjectName(QStringLiteral("surface"));
    surface->hide();
}

DriverWarmUp EditorSurfaceDriverWarmUp() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const bool xcb = platform ? std::strncmp(platform, "xcb", 3) == 0 : !std::getenv("WAYLAND_DISPLAY");
    if (!xcb || !std::getenv("DISPLAY")) return nullptr;
    return [] {
        // The handles stay open: the window's own loads then find the
        // libraries there, bound already. Nothing here is needed: a library
        // that is not found is left to the window's load to report.
        void* glx = ::dlopen("libGLX_mesa.so.0", RTLD_LAZY | RTLD_LOCAL);
        link_map* map = nullptr;
        if (!glx || ::dlinfo(glx, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name) return;
        // The drivers are one library under many names, beside the GLX one.
        std::string driver = map->l_name;
        driver.erase(driver.find_last_of('/') + 1);
        driver += "dri/swrast_dri.so";
        if (::access(driver.c_str(), R_OK) == 0) ::dlopen(driver.c_str(), RTLD_NOW | RTLD_GLOBAL);
    };
}

CDocumentEditor* MakeDocumentEditor(QWidget* parent) {
    const LoadedModule& loaded = Load();
    if (loaded.make) return loaded.make(parent);
    return new CMissingEditor(loaded.error, parent);
}

QString EditorModuleError() { return module.error; }

}  // namespace veltrin
