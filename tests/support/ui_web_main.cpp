// Entry point of the widget tests that show document editors: the engine is
// prepared before the one QApplication.
#include <QApplication>
#include <gtest/gtest.h>

#include "base/LocalTime.h"
#include "documents/QtWebEngineSetup.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    veltrin::PrepareWebEngine();
    // As the program does, before any thread starts: pinning the zone sets
    // TZ, which threads of Qt or the engine may be reading.
    veltrin::PinLocalZone();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
