#pragma once

#include <string>

namespace veltrin {

// The file of the document editor module: beside the executable in a build
// tree, else in the installed layout's library folder (lib/<arch>/veltrin
// beside the bin folder). A non-empty override names it instead.
std::string EditorModulePathOf(const std::string& executablePath, const char* overridePath);

}  // namespace veltrin
