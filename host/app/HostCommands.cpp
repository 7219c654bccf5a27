// The session's own console commands: configuration, scripts, settings windows, help, quit.
#include "app/HostCommands.h"

#include <fstream>

#include "console/ConfigFile.h"
#include "console/Console.h"

namespace host {

namespace {
// Scripts may exec scripts; this bounds a script that runs itself.
constexpr int kMaxScriptDepth = 16;
}

HostCommands::HostCommands(Console& console) : console_(console) {}

bool HostCommands::writeConfigNow() {
    std::string error;
    if (writeConfig(console_, kConfigFile, error)) return true;
    console_.err("writeconfig: " + error);
    return false;
}

bool HostCommands::runScript(const std::filesystem::path& file) {
    if (scriptDepth_ >= kMaxScriptDepth) {
        console_.err("exec: " + file.string() + ": scripts nested too deeply");
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        console_.err("exec: cannot open " + file.string());
        return false;
    }
    ++scriptDepth_;
    bool ok = true;
    std::string line;
    while (!console_.quitRequested() && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!console_.execute(line)) ok = false;
    }
    --scriptDepth_;
    return ok;
}

void HostCommands::registerAll() {
    auto noArguments = [this](const Words& words, const char* usage) {
        if (words.size() == 1) return true;
        console_.err(std::string("usage: ") + usage);
        return false;
    };
    console_.addHostCommand("cl_settings_refreshplugins", "re-reads the plug-in settings files",
                            [this, noArguments](const Words& words) {
                                if (!noArguments(words, "cl_settings_refreshplugins")) return false;
                                refreshSettings();
                                return true;
                            });
    console_.addHostCommand("writeconfig", "writes the saved variables to bakkesmod/cfg/config.cfg",
                            [this, noArguments](const Words& words) {
                                return noArguments(words, "writeconfig") && writeConfigNow();
                            });
    console_.addHostCommand("exec", "exec FILE: runs the console lines of a script file",
                            [this](const Words& words) {
                                if (words.size() != 2) {
                                    console_.err("usage: exec FILE");
                                    return false;
                                }
                                return runScript(words[1]);
                            });
    console_.addHostCommand("quit", "ends the session", [this, noArguments](const Words& words) {
        if (!noArguments(words, "quit")) return false;
        console_.requestQuit();
        return true;
    });
    console_.addHostCommand("help", "lists the host commands", [this, noArguments](const Words& words) {
        if (!noArguments(words, "help")) return false;
        for (const auto& [name, help] : console_.hostCommands()) console_.out(name + " - " + help);
        return true;
    });
    console_.addHostCommand("sim_settings", "prints the settings windows",
                            [this, noArguments](const Words& words) {
                                if (!noArguments(words, "sim_settings")) return false;
                                for (const SettingsWindow& window : settings_.windows())
                                    for (const std::string& line : formatSettingsWindow(window))
                                        console_.out(line);
                                return true;
                            });
}

}  // namespace host
