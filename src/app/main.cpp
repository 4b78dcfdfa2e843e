#include "app/CVeltrinApp.h"

int main(int argc, char** argv) {
    veltrin::CVeltrinApp app;
    return app.InitInstance(argc, argv);
}
