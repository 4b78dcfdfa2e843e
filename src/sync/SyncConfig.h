#pragma once

#include <string>
#include <vector>

namespace veltrin {

// What to sync with, kept in data/sync/config beside the data (never in
// Settings.dat). Lines "name = value"; # starts a comment.
struct SyncConfig {
    std::string url;  // a base URL is enough: the collections are found from it
    std::string user;
    std::string passwordCommand;     // run by the shell; its first line of output is the password
    std::string eventsCollection;    // a calendar URL; empty: the first calendar that takes VEVENTs
    std::string contactsCollection;  // an address book URL; empty: the account's first
    std::string journalsCollection;  // a calendar URL; empty: the first calendar that takes VJOURNALs
    bool allowUnencrypted = false;
    int intervalMinutes = 15;  // the program's timer; 0 only by hand
    int timeoutSeconds = 120;  // the most one request to the server may take
};

std::string SyncFolderOf(const std::string& dataFolder);

// A missing file gives false with why saying so.
bool LoadSyncConfig(const std::string& dataFolder, SyncConfig& config, std::string& why);
bool SaveSyncConfig(const std::string& dataFolder, const SyncConfig& config, std::string& why);

// Runs the password command and takes the first line of what it prints.
// Never says the password in why.
bool RunPasswordCommand(const std::string& command, std::string& password, std::string& why);

}  // namespace veltrin
