#pragma once

#include <QFont>

#include "settings/AppliedSettings.h"

namespace veltrin {

// A font as the settings describe it: height in pixels (made usable whatever
// was stored), bold or normal weight, italic and underline, a sans-serif
// stand-in when the face is not installed.
QFont QtFontFromSetting(const FontSetting& setting);

}  // namespace veltrin
