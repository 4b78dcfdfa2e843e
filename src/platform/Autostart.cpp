#include "platform/Autostart.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "platform/DataLocation.h"
#include "platform/InstanceLock.h"

namespace veltrin {

namespace {

std::string configHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg) return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.config";
}

bool makeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    return false;
}

// Desktop entries escape blanks and a few other characters in Exec, and
// double a percent sign, which would otherwise start a field code.
std::string quoteExec(const std::string& path) {
    std::string out;
    const bool quoted = path.find_first_of(" \t\"'\\$`") != std::string::npos;
    for (char c : path) {
        if (quoted && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
        if (c == '%') out += '%';
        out += c;
    }
    return quoted ? "\"" + out + "\"" : out;
}

}  // namespace

std::string XdgAutostart::entryPath(const std::string& dataFolder) {
    const std::string name = dataFolder.empty() ? std::string("veltrin") : InstanceLock::keyFor(dataFolder);
    return configHome() + "/autostart/" + name + ".desktop";
}

std::string XdgAutostart::entryText(const std::string& executablePath, bool enabled,
                                    const std::string& dataFolder) {
    std::ostringstream s;
    s << "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Veltrin\n"
         "Comment=Personal organiser\n";
    if (enabled) {
        s << "Exec=" << quoteExec(executablePath);
        if (!dataFolder.empty()) s << " --data " << quoteExec(dataFolder);
        s << " /autorun\n";
    } else {
        s << "Hidden=true\n";
    }
    return s.str();
}

Autostart::Result XdgAutostart::write(const std::string& executablePath, bool enabled) {
    const std::string home = configHome();
    if (!makeFolder(home) || !makeFolder(home + "/autostart")) return Result::NoFolder;

    const DataFolderChoice data = CurrentDataFolderChoice();
    const std::string folder = data.requested ? data.folder : std::string();
    const std::string path = entryPath(folder);
    const std::string text = entryText(executablePath, enabled, folder);
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream old;
        if (in && (old << in.rdbuf()) && old.str() == text) return Result::Written;
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return Result::WriteFailed;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return (std::fclose(f) == 0 && ok) ? Result::Written : Result::WriteFailed;
}

}  // namespace veltrin
