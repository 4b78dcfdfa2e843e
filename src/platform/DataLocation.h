#pragma once

#include <string>
#include <vector>

namespace veltrin {

// Where the user's data lives. A "data" folder beside the executable (the
// build tree, a portable copy) is used as it is; otherwise the data lives in
// $XDG_DATA_HOME/veltrin (default ~/.local/share/veltrin). "--data DIR"
// chooses any other folder.
struct DataFolderChoice {
    std::string folder;
    bool requested = false;  // named by --data and not the folder chosen without it
};

// The folder the rule picks. xdgDataHome and home are the environment's
// values (null when unset); a relative XDG_DATA_HOME is ignored.
DataFolderChoice ChooseDataFolder(const std::string& executablePath, const std::string& requested,
                                  const char* xdgDataHome, const char* home);

// The value of "--data DIR" or "--data=DIR" in the arguments (the program's
// name not included), made absolute. Empty when not given; error is set when
// the option has no folder.
std::string DataArgument(const std::vector<std::string>& arguments, std::string* error);

enum class DataFolderState {
    Existing,  // was there before
    Created,   // made just now, empty: a first start
    Failed     // could not be made
};

// Makes the folder and any missing parent with mode 0700 (others see nothing
// of the user's data).
DataFolderState PrepareDataFolder(const std::string& folder);

// The folder the program keeps its data in, once chosen at start. Before a
// choice, and after an empty one, it is the folder beside the executable.
void SetDataFolderChoice(const DataFolderChoice& choice);
DataFolderChoice CurrentDataFolderChoice();

// Files that ship with the program (templates, help, sound, read-me): in
// share/veltrin beside the bin folder when installed, else beside the
// executable.
std::string ShippedFolderOf(const std::string& executablePath);
std::string ShippedFolder();

}  // namespace veltrin
