#pragma once

#include <string>

namespace veltrin {

// The start-at-login entry. Enabled, it starts the program with "/autorun";
// disabled, the entry stays but is switched off.
class Autostart {
public:
    enum class Result {
        Written,     // the entry holds what was asked
        NoFolder,    // the autostart folder cannot be made: nothing to report
        WriteFailed  // the entry itself could not be written
    };
    virtual ~Autostart() = default;
    virtual Result write(const std::string& executablePath, bool enabled) = 0;
};

// $XDG_CONFIG_HOME/autostart/veltrin.desktop (default ~/.config).
class XdgAutostart : public Autostart {
public:
    Result write(const std::string& executablePath, bool enabled) override;

    // veltrin.desktop for the folder the program chooses by itself; a folder
    // named by --data has an entry of its own, so each starts at login.
    static std::string entryPath(const std::string& dataFolder = std::string());
    // dataFolder is named in the command when it is not the one the program
    // would choose by itself.
    static std::string entryText(const std::string& executablePath, bool enabled,
                                 const std::string& dataFolder = std::string());
};

}  // namespace veltrin
