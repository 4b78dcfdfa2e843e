#include "documents/QtEditorModule.h"

#include <QCoreApplication>
#include <QLibrary>
#include <cstdlib>
#include <unistd.h>

#include "documents/CMissingEditor.h"
#include "documents/EditorModule.h"
#include "platform/ModuleFolder.h"
#include "platform/Platform.h"

namespace veltrin {

namespace {

struct LoadedModule {
    bool tried = false;
    EditorFactory make = nullptr;
    QString error;
};

LoadedModule module;

const LoadedModule& Load() {
    if (!module.tried) {
        module.tried = true;
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
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

CDocumentEditor* MakeDocumentEditor(QWidget* parent) {
    const LoadedModule& loaded = Load();
    if (loaded.make) return loaded.make(parent);
    return new CMissingEditor(loaded.error, parent);
}

QString EditorModuleError() { return module.error; }

}  // namespace veltrin
