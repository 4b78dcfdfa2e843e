#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace veltrin {

// Daily copies of the data files: the first time on a day that a data file is
// replaced, the version it had until then is copied to
// <data folder>/backup/YYYY-MM-DD/<file name> first. The copies of the last
// kBackupDaysKept days that have any are kept, older days are removed.
inline constexpr int kBackupDaysKept = 14;

std::string BackupFolderOf(const std::string& dataFolder);
// The local calendar day of a moment, as the day folders are named.
std::string BackupDayOf(std::int64_t moment);
bool IsBackupDayName(const std::string& name);

// The day folders in the backup folder, oldest first. why, when given, says
// why a backup folder that is there could not be read.
std::vector<std::string> BackupDays(const std::string& dataFolder, std::string* why = nullptr);

// Copies the data file at path into the folder of moment's day unless a copy
// is there already, through the same safe replace as every store, then prunes
// old days. True when the copy exists afterwards or there was no file to
// copy; otherwise false with the reason, and nothing is left behind.
bool BackUpBeforeReplace(const std::string& path, std::int64_t moment, std::string& why);

// Removes the days older than the newest `keep` days that hold a copy. Only a
// day folder that holds nothing but data files and their temporaries is ever
// removed: anything else in there was not made by Veltrin.
void PruneBackups(const std::string& dataFolder, int keep = kBackupDaysKept);

}  // namespace veltrin
