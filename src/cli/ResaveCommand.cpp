#include <ostream>

#include "cli/DataFiles.h"

namespace veltrin::cli {

Command AddResaveCommand(CLI::App& program, Output io) {
    return AddDataFileCommand(
        program, io, "resave",
        "Load a data file and store it again through the program's own code, replacing it "
        "safely. A file that does not load whole is left untouched (exit status 1). Refused "
        "(exit status 1) while Veltrin runs with the file's data folder.",
        [io](const std::string& path, AnyDataFile& file) {
            std::string why;
            if (!StoreArchiveFile(path, file.kind->signature, file.version, file.body(), &why)) {
                io.err << "Unable to write configuration file!\n" << FileNameOf(path) << ": " << why << "\n";
                return 1;
            }
            return 0;
        },
        "was left as it was.", true);
}

}  // namespace veltrin::cli
