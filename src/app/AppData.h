#pragma once

#include "settings/AppSettings.h"

namespace veltrin {

// Everything the program keeps for the whole run: the settings and the data
// stores. Filled at start, edited by the views, written back by SaveAll.
struct AppData {
    AppSettings settings;
};

}  // namespace veltrin
