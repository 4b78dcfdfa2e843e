// Entry point of the widget tests that show document editors: the engine is
// prepared before the one QApplication.
#include <QApplication>
#include <gtest/gtest.h>

#include "documents/QtWebEngineSetup.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    veltrin::PrepareWebEngine();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
