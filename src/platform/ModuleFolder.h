#pragma once

#include <string>

namespace veltrin {

// Full path of the running executable.
std::string ExecutablePath();
// Tests point the program elsewhere; an empty path restores the real one.
void SetExecutablePathForTesting(const std::string& path);

// The executable's folder: the path cut at its last separator ('/' or '\'),
// keeping the separator only right after a drive colon ("C:\").
std::string ModuleFolderOf(const std::string& executablePath);
std::string ModuleFolder();

// A module the program loads when first needed (the document editor, the
// sound player): beside the executable in a build tree, else in the
// installed layout's library folder (lib/<arch>/veltrin beside the bin
// folder). A non-empty override names it instead.
std::string ModuleFilePathOf(const std::string& executablePath, const std::string& fileName,
                             const char* overridePath);

// The folder beside the executable that may hold the five data files. It is
// worked out anew each time and never created by the program.
std::string DataFolderOf(const std::string& executablePath);
std::string DataFilePathOf(const std::string& executablePath, const std::string& fileName);
// The folder the program keeps its data in (see DataLocation.h), and a file in it.
std::string DataFolder();
std::string DataFilePath(const std::string& fileName);

}  // namespace veltrin
