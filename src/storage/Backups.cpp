#include "storage/Backups.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

#include "storage/DataFile.h"
#include "storage/Originals.h"
#include "storage/SafeFile.h"

namespace veltrin {

namespace {

// The files a day's copies may hold: the data files and what is kept beside them.
bool IsKeptFile(const std::string& name) { return IsDataFileName(name) || name == kOriginalsFileName; }
bool IsKeptTemporary(const std::string& name) {
    return IsDataFileTemporary(name) || IsTemporaryOf(name, kOriginalsFileName);
}

struct DayContents {
    bool onlyOurs = true;  // nothing but data files and their temporaries
    bool hasCopy = false;
};

DayContents contentsOf(const std::string& dayFolder) {
    DayContents c;
    for (const std::string& name : NamesInFolder(dayFolder)) {
        struct stat st {};
        const bool regular = ::lstat((dayFolder + "/" + name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
        if (regular && IsKeptFile(name))
            c.hasCopy = true;
        else if (!regular || !IsKeptTemporary(name))
            c.onlyOurs = false;
    }
    return c;
}

// Removes our files only, so that the folder stays if anything else came in.
void removeDay(const std::string& dayFolder) {
    for (const std::string& name : NamesInFolder(dayFolder))
        if (IsKeptFile(name) || IsKeptTemporary(name)) ::unlink((dayFolder + "/" + name).c_str());
    ::rmdir(dayFolder.c_str());
}

// Makes a folder; true when this call made it.
bool makeFolder(const std::string& folder, std::string& why) {
    if (::mkdir(folder.c_str(), 0700) == 0) return true;
    if (errno != EEXIST) why = "cannot make the folder " + folder + ": " + std::strerror(errno);
    return false;
}

}  // namespace

std::string BackupFolderOf(const std::string& dataFolder) { return dataFolder + "/backup"; }

std::string BackupDayOf(std::int64_t moment) {
    const std::time_t t = static_cast<std::time_t>(moment);
    std::tm local{};
    ::localtime_r(&t, &local);
    char day[16];
    std::strftime(day, sizeof day, "%Y-%m-%d", &local);
    return day;
}

bool IsBackupDayName(const std::string& name) {
    if (name.size() != 10 || name[4] != '-' || name[7] != '-') return false;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (name[i] < '0' || name[i] > '9') return false;
    const int month = std::stoi(name.substr(5, 2));
    const int day = std::stoi(name.substr(8, 2));
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

std::vector<std::string> BackupDays(const std::string& dataFolder, std::string* why) {
    const std::string folder = BackupFolderOf(dataFolder);
    std::vector<std::string> days;
    for (const std::string& name : NamesInFolder(folder, why)) {
        struct stat st {};
        if (IsBackupDayName(name) && ::lstat((folder + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            days.push_back(name);
    }
    std::sort(days.begin(), days.end());
    return days;
}

bool BackUpBeforeReplace(const std::string& path, std::int64_t moment, std::string& why) {
    const std::optional<FileState> current = StateOfFile(path);
    if (!current) return true;  // nothing there yet, so nothing to keep
    const std::string folder = BackupFolderOf(FolderOf(path));
    const std::string day = folder + "/" + BackupDayOf(moment);
    const std::string copy = day + "/" + FileNameOf(path);
    struct stat st {};
    if (::lstat(copy.c_str(), &st) == 0) return true;  // kept already today

    why.clear();
    const bool madeFolder = makeFolder(folder, why);
    const bool madeDay = why.empty() && makeFolder(day, why);
    bool ok = why.empty();
    if (ok) {
        struct stat source {};
        const int mode = ::stat(path.c_str(), &source) == 0 ? static_cast<int>(source.st_mode & 07777) : 0600;
        ok = ReplaceFileSafely(copy, CopyOfFile(path), &why, nullptr, mode);
    }
    if (!ok) {
        // Folders made for a copy that failed go again (rmdir keeps anything in use).
        if (madeDay) ::rmdir(day.c_str());
        if (madeFolder) ::rmdir(folder.c_str());
        return false;
    }
    PruneBackups(FolderOf(path));
    return true;
}

void PruneBackups(const std::string& dataFolder, int keep) {
    const std::vector<std::string> days = BackupDays(dataFolder);
    const std::string folder = BackupFolderOf(dataFolder);
    std::vector<DayContents> contents;
    for (const std::string& day : days) contents.push_back(contentsOf(folder + "/" + day));

    // The oldest day still kept: the keep-th newest that holds a copy.
    int withCopies = 0;
    std::size_t oldestKept = days.size();
    for (std::size_t i = days.size(); i-- > 0 && withCopies < keep;) {
        if (contents[i].hasCopy) {
            ++withCopies;
            oldestKept = i;
        }
    }
    if (withCopies < keep) return;
    for (std::size_t i = 0; i < oldestKept; ++i)
        if (contents[i].onlyOurs) removeDay(folder + "/" + days[i]);
}

}  // namespace veltrin
