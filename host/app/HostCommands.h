// The session's own console commands: configuration, scripts, settings windows, help, quit.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "console/Console.h"
#include "console/SettingsWindows.h"

namespace host {

class LineReader;

// Paths are relative to the root (the working directory).
inline const std::filesystem::path kConfigFile = "bakkesmod/cfg/config.cfg";
inline const std::filesystem::path kSettingsDir = "bakkesmod/plugins/settings";

// Runs every line of READER until its end or quit. A line over 1 MiB or a read error is
// reported naming SOURCE (and the line) and ends the reading. False when reading failed or
// some line failed.
bool runLines(Console& console, LineReader& reader, const std::string& source);

class HostCommands {
public:
    // Script paths are relative to SCRIPT_BASE (where the user started the program).
    HostCommands(Console& console, std::filesystem::path scriptBase);
    // Adds cl_settings_refreshplugins, writeconfig, exec, quit, help, list and sim_settings.
    void registerAll();

    // Runs every line of a script file until its end or quit. False when the file cannot be
    // read completely, is running already (a script that runs itself), or some line failed.
    bool runScript(const std::filesystem::path& file);
    // Re-reads the settings files.
    void refreshSettings() { settings_.refresh(kSettingsDir, console_); }
    // Restores the saved variables. When the file cannot be read completely it is reported,
    // and from then on never overwritten in this session.
    bool restoreConfigNow();
    bool writeConfigNow();

private:
    bool noArguments(const Words& words);
    bool refreshCommand(const Words& words);
    bool writeConfigCommand(const Words& words);
    bool execCommand(const Words& words);
    bool quitCommand(const Words& words);
    bool helpCommand(const Words& words);
    bool listCommand(const Words& words);
    bool settingsCommand(const Words& words);
    void listNames(const std::string& prefix);

    Console& console_;
    std::filesystem::path scriptBase_;
    SettingsWindows settings_;
    std::vector<std::filesystem::path> running_;  // the scripts running now, outermost first
    bool keepConfig_ = false;
};

}  // namespace host
