#include "platform/ModuleFolder.h"

#include "platform/DataLocation.h"

#include <climits>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <unistd.h>

namespace veltrin {

namespace {
std::mutex g_pathMutex;
std::string g_testPath;
}  // namespace

std::string ExecutablePath() {
    {
        std::lock_guard<std::mutex> lock(g_pathMutex);
        if (!g_testPath.empty()) return g_testPath;
    }
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

void SetExecutablePathForTesting(const std::string& path) {
    std::lock_guard<std::mutex> lock(g_pathMutex);
    g_testPath = path;
}

std::string ModuleFolderOf(const std::string& executablePath) {
    const std::size_t cut = executablePath.find_last_of("/\\");
    if (cut == std::string::npos) return std::string();
    if (cut > 0 && executablePath[cut - 1] == ':') return executablePath.substr(0, cut + 1);
    return executablePath.substr(0, cut);
}

std::string ModuleFolder() { return ModuleFolderOf(ExecutablePath()); }

std::string ModuleFilePathOf(const std::string& executablePath, const std::string& fileName,
                             const char* overridePath) {
    namespace fs = std::filesystem;
    if (overridePath && *overridePath) return overridePath;
    const fs::path folder = fs::path(executablePath).parent_path();
    const fs::path beside = folder / fileName;
    std::error_code ec;
    if (fs::is_regular_file(beside, ec)) return beside.string();
    return (folder.parent_path() / VELTRIN_INSTALL_LIBDIR / "veltrin" / fileName).lexically_normal().string();
}

namespace {
// A path written with backslashes keeps them, so a Windows-style executable
// path gives "C:\Tools\data\Settings.dat".
char separatorOf(const std::string& executablePath) {
    const std::size_t cut = executablePath.find_last_of("/\\");
    return (cut != std::string::npos && executablePath[cut] == '\\') ? '\\' : '/';
}
}  // namespace

std::string DataFolderOf(const std::string& executablePath) {
    return ModuleFolderOf(executablePath) + separatorOf(executablePath) + "data";
}

std::string DataFilePathOf(const std::string& executablePath, const std::string& fileName) {
    return DataFolderOf(executablePath) + separatorOf(executablePath) + fileName;
}

std::string DataFolder() { return CurrentDataFolderChoice().folder; }

std::string DataFilePath(const std::string& fileName) {
    const DataFolderChoice choice = CurrentDataFolderChoice();
    if (choice.folder == DataFolderOf(ExecutablePath())) return DataFilePathOf(ExecutablePath(), fileName);
    return choice.folder + "/" + fileName;
}

}  // namespace veltrin
