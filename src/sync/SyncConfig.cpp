#include "sync/SyncConfig.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "storage/SafeFile.h"

namespace veltrin {

namespace {

std::string Trim(const std::string& s) {
    const std::size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::string SyncFolderOf(const std::string& dataFolder) { return dataFolder + "/sync"; }

bool LoadSyncConfig(const std::string& dataFolder, SyncConfig& config, std::string& why) {
    const std::string path = SyncFolderOf(dataFolder) + "/config";
    std::ifstream in(path);
    if (!in) {
        why = "there is no sync configuration (" + path + ")";
        return false;
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        line = Trim(line);
        if (line.empty() || line[0] == '#') continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) {
            why = path + ", line " + std::to_string(number) + ": expected name = value";
            return false;
        }
        const std::string name = Trim(line.substr(0, eq)), value = Trim(line.substr(eq + 1));
        if (name == "url")
            config.url = value;
        else if (name == "user")
            config.user = value;
        else if (name == "password-command")
            config.passwordCommand = value;
        else if (name == "events")
            config.eventsCollection = value;
        else if (name == "contacts")
            config.contactsCollection = value;
        else if (name == "journals")
            config.journalsCollection = value;
        else if (name == "allow-unencrypted")
            config.allowUnencrypted = value == "yes" || value == "1" || value == "true";
        else if (name == "interval")
            config.intervalMinutes = std::atoi(value.c_str());
        else if (name == "timeout") {
            config.timeoutSeconds = std::atoi(value.c_str());
            if (config.timeoutSeconds < 1 || value.find_first_not_of("0123456789") != std::string::npos) {
                why = path + ", line " + std::to_string(number) + ": timeout is a number of seconds";
                return false;
            }
        } else if (name == "password") {
            why = path + ": a password is never kept here; give a password-command instead";
            return false;
        } else {
            why = path + ", line " + std::to_string(number) + ": unknown setting " + name;
            return false;
        }
    }
    if (config.url.empty()) {
        why = path + " names no url";
        return false;
    }
    return true;
}

bool SaveSyncConfig(const std::string& dataFolder, const SyncConfig& config, std::string& why) {
    const std::string folder = SyncFolderOf(dataFolder);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        why = "the folder " + folder + " could not be made";
        return false;
    }
    std::ostringstream out;
    out << "url = " << config.url << "\n";
    if (!config.user.empty()) out << "user = " << config.user << "\n";
    if (!config.passwordCommand.empty()) out << "password-command = " << config.passwordCommand << "\n";
    if (!config.eventsCollection.empty()) out << "events = " << config.eventsCollection << "\n";
    if (!config.contactsCollection.empty()) out << "contacts = " << config.contactsCollection << "\n";
    if (!config.journalsCollection.empty()) out << "journals = " << config.journalsCollection << "\n";
    out << "allow-unencrypted = " << (config.allowUnencrypted ? "yes" : "no") << "\n";
    out << "interval = " << config.intervalMinutes << "\n";
    if (config.timeoutSeconds != SyncConfig{}.timeoutSeconds)
        out << "timeout = " << config.timeoutSeconds << "\n";
    const std::string text = out.str();
    return ReplaceFileSafely(folder + "/config", BytesOf(text), &why, nullptr, 0600);
}

bool RunPasswordCommand(const std::string& command, std::string& password, std::string& why) {
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        why = "the password command could not be started";
        return false;
    }
    std::string out;
    char buffer[256];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int status = ::pclose(pipe);
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        why = "the password command failed";
        return false;
    }
    password = out.substr(0, out.find('\n'));
    if (!password.empty() && password.back() == '\r') password.pop_back();
    return true;
}

}  // namespace veltrin
