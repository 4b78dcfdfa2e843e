#include "documents/Templates.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "base/Text.h"
#include "platform/ModuleFolder.h"

namespace veltrin {

namespace fs = std::filesystem;

std::string TemplateFolder() { return ModuleFolder() + "/template"; }

std::vector<std::string> ListTemplates(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) names.push_back(it->path().filename().string());
    }
    // Byte order first, so names equal but for case come out the same on every file system.
    std::sort(names.begin(), names.end());
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string& a, const std::string& b) { return CompareTextsNoCase(a, b) < 0; });
    return names;
}

std::vector<std::string> ListTemplates() { return ListTemplates(TemplateFolder()); }

bool IsPlainTemplateName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::string TemplateStartDocument(const std::string& folder, const std::string& name) {
    if (!IsPlainTemplateName(name)) return {};
    // Both may exist; "index.html" is the one that wins.
    for (const char* file : {"index.html", "index.htm"}) {
        const std::string path = folder + "/" + name + "/" + file;
        std::error_code ec;
        if (!fs::is_regular_file(path, ec)) continue;
        if (std::ifstream(path, std::ios::binary)) return path;
    }
    return {};
}

std::string TemplateStartDocument(const std::string& name) {
    return TemplateStartDocument(TemplateFolder(), name);
}

int TemplateListIndex(const std::vector<std::string>& names, const std::string& name, bool fallback) {
    const auto it = std::find(names.begin(), names.end(), name);
    if (it != names.end()) return static_cast<int>(it - names.begin());
    return fallback && !names.empty() ? 0 : -1;
}

}  // namespace veltrin
