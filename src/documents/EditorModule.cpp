#include "documents/EditorModule.h"

#include <filesystem>
#include <system_error>

namespace veltrin {

namespace fs = std::filesystem;

std::string EditorModulePathOf(const std::string& executablePath, const char* overridePath) {
    if (overridePath && *overridePath) return overridePath;
    const fs::path folder = fs::path(executablePath).parent_path();
    const fs::path beside = folder / VELTRIN_EDITOR_MODULE_NAME;
    std::error_code ec;
    if (fs::is_regular_file(beside, ec)) return beside.string();
    return (folder.parent_path() / VELTRIN_INSTALL_LIBDIR / "veltrin" / VELTRIN_EDITOR_MODULE_NAME)
        .lexically_normal()
        .string();
}

}  // namespace veltrin
