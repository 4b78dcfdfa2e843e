#pragma once

#include <filesystem>

namespace veltrin::test {

// Puts the shipped templates into a test's program folder, as the build puts
// them beside the program.
inline void CopyShippedTemplates(const std::filesystem::path& programFolder) {
    namespace fs = std::filesystem;
    fs::copy(VELTRIN_TEMPLATE_SOURCE, programFolder / "template",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

}  // namespace veltrin::test
