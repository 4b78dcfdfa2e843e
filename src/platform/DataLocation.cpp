#include "platform/DataLocation.h"

#include <cerrno>
#include <filesystem>
#include <mutex>
#include <sys/stat.h>

#include "platform/ModuleFolder.h"

namespace veltrin {

namespace fs = std::filesystem;

namespace {

std::mutex g_choiceMutex;
DataFolderChoice g_choice;

bool isFolder(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

// Absolute, without "." and ".." steps or a trailing separator, so one folder
// has one name (the single-instance lock is keyed by it).
std::string cleanFolder(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::absolute(path, ec);
    if (ec) p = path;
    p = p.lexically_normal();
    std::string s = p.string();
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

}  // namespace

DataFolderChoice ChooseDataFolder(const std::string& executablePath, const std::string& requested,
                                  const char* xdgDataHome, const char* home) {
    std::string usual = DataFolderOf(executablePath);
    if (!isFolder(usual)) {
        if (xdgDataHome && xdgDataHome[0] == '/')
            usual = cleanFolder(std::string(xdgDataHome) + "/veltrin");
        else if (home && home[0] != '\0')
            usual = cleanFolder(std::string(home) + "/.local/share/veltrin");
    }
    if (requested.empty()) return {usual, false};
    const std::string folder = cleanFolder(requested);
    return {folder, folder != usual};
}

std::string DataArgument(const std::vector<std::string>& arguments, std::string* error) {
    static const std::string kOption = "--data";
    std::string folder;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == kOption) {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                if (error) *error = "--data needs a folder.";
                return {};
            }
            folder = arguments[++i];
        } else if (a.compare(0, kOption.size() + 1, kOption + "=") == 0) {
            folder = a.substr(kOption.size() + 1);
            if (folder.empty()) {
                if (error) *error = "--data needs a folder.";
                return {};
            }
        }
    }
    return folder.empty() ? std::string() : cleanFolder(folder);
}

DataFolderState PrepareDataFolder(const std::string& folder) {
    if (isFolder(folder)) return DataFolderState::Existing;
    if (folder.empty()) return DataFolderState::Failed;
    // Each missing step is made 0700, as the base directory rules ask of
    // folders made under the user's data home.
    fs::path made;
    for (const fs::path& step : fs::path(folder)) {
        made /= step;
        if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST) return DataFolderState::Failed;
    }
    return isFolder(folder) ? DataFolderState::Created : DataFolderState::Failed;
}

void SetDataFolderChoice(const DataFolderChoice& choice) {
    std::lock_guard<std::mutex> lock(g_choiceMutex);
    g_choice = choice;
}

DataFolderChoice CurrentDataFolderChoice() {
    {
        std::lock_guard<std::mutex> lock(g_choiceMutex);
        if (!g_choice.folder.empty()) return g_choice;
    }
    return {DataFolderOf(ExecutablePath()), false};
}

std::string ShippedFolderOf(const std::string& executablePath) {
    const std::string module = ModuleFolderOf(executablePath);
    const fs::path share = fs::path(module).parent_path() / "share" / "veltrin";
    if (isFolder(share.string())) return share.lexically_normal().string();
    return module;
}

std::string ShippedFolder() { return ShippedFolderOf(ExecutablePath()); }

}  // namespace veltrin
