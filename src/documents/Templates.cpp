#include "documents/Templates.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "base/Text.h"
#include "platform/DataLocation.h"
#include "platform/ModuleFolder.h"

namespace veltrin {

namespace fs = std::filesystem;

std::string TemplateFolder() { return ShippedFolder() + "/template"; }

std::string UserTemplateFolder() { return DataFolder() + "/template"; }

namespace {

void addTemplateNames(const std::string& folder, std::vector<std::string>& names) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) names.push_back(it->path().filename().string());
    }
}

void sortTemplateNames(std::vector<std::string>& names) {
    // Byte order first, so names equal but for case come out the same on every file system.
    std::sort(names.begin(), names.end());
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string& a, const std::string& b) { return CompareTextsNoCase(a, b) < 0; });
}

}  // namespace

std::vector<std::string> ListTemplates(const std::string& folder) {
    std::vector<std::string> names;
    addTemplateNames(folder, names);
    sortTemplateNames(names);
    return names;
}

std::vector<std::string> ListTemplates(const std::string& userFolder, const std::string& shippedFolder) {
    std::vector<std::string> names;
    addTemplateNames(userFolder, names);
    // In the build tree the data folder may sit inside the shipped one; a
    // folder named twice still gives each template once.
    if (shippedFolder != userFolder) addTemplateNames(shippedFolder, names);
    sortTemplateNames(names);
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::vector<std::string> ListTemplates() { return ListTemplates(UserTemplateFolder(), TemplateFolder()); }

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

std::string TemplateStartDocument(const std::string& userFolder, const std::string& shippedFolder,
                                  const std::string& name) {
    const std::string own = TemplateStartDocument(userFolder, name);
    return own.empty() ? TemplateStartDocument(shippedFolder, name) : own;
}

std::string TemplateStartDocument(const std::string& name) {
    return TemplateStartDocument(UserTemplateFolder(), TemplateFolder(), name);
}

int TemplateListIndex(const std::vector<std::string>& names, const std::string& name, bool fallback) {
    const auto it = std::find(names.begin(), names.end(), name);
    if (it != names.end()) return static_cast<int>(it - names.begin());
    return fallback && !names.empty() ? 0 : -1;
}

}  // namespace veltrin
