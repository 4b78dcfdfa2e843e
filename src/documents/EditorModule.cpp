#include "documents/EditorModule.h"

#include "platform/ModuleFolder.h"

namespace veltrin {

std::string EditorModulePathOf(const std::string& executablePath, const char* overridePath) {
    return ModuleFilePathOf(executablePath, VELTRIN_EDITOR_MODULE_NAME, overridePath);
}

}  // namespace veltrin
