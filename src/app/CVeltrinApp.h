#pragma once

namespace veltrin {

// The application: loads the data, runs the main window, and ends when it
// closes.
class CVeltrinApp {
public:
    int InitInstance(int argc, char** argv);
};

}  // namespace veltrin
