// The session's own console commands: configuration, scripts, settings windows, help, quit.
#pragma once
#include <filesystem>
#include <string>

#include "console/SettingsFiles.h"

namespace host {

class Console;

// Paths are relative to the root (the working directory).
inline const std::filesystem::path kConfigFile = "bakkesmod/cfg/config.cfg";
inline const std::filesystem::path kSettingsDir = "bakkesmod/plugins/settings";

class HostCommands {
public:
    explicit HostCommands(Console& console);
    // Adds cl_settings_refreshplugins, writeconfig, exec, quit, help and sim_settings.
    void registerAll();

    // Runs every line of a script file until its end or quit. False when the file does not
    // open or some line failed.
    bool runScript(const std::filesystem::path& file);
    // Re-reads the settings files.
    void refreshSettings() { settings_.refresh(kSettingsDir, console_); }
    bool writeConfigNow();

private:
    Console& console_;
    SettingsWindows settings_;
    int scriptDepth_ = 0;
};

}  // namespace host
