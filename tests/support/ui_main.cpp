// Entry point of the widget tests: one QApplication for all of them.
#include <QApplication>
#include <gtest/gtest.h>

#include "base/LocalTime.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // As the program does, before any thread starts: pinning the zone sets
    // TZ, which threads of Qt or the engine may be reading.
    veltrin::PinLocalZone();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
