// Entry point of the widget tests that show document editors: the engine is
// prepared before the one QApplication, and the editor module is the one
// built beside the program.
#include <QApplication>
#include <gtest/gtest.h>

#include "base/LocalTime.h"
#include "documents/QtEditorModule.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    if (qgetenv(veltrin::kEditorModuleVariable).isEmpty())
        qputenv(veltrin::kEditorModuleVariable, VELTRIN_EDITOR_MODULE_FILE);
    veltrin::PrepareDocumentEngine();
    // As the program does, before any thread starts: pinning the zone sets
    // TZ, which threads of Qt or the engine may be reading.
    veltrin::PinLocalZone();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
