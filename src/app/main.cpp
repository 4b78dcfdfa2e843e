#include "app/CVeltrinApp.h"
#include "base/LocalTime.h"

int main(int argc, char** argv) {
    // Before any thread starts: pinning the zone may set TZ.
    veltrin::PinLocalZone();
    veltrin::CVeltrinApp app;
    return app.InitInstance(argc, argv);
}
