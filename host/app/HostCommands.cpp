// The session's own console commands: configuration, scripts, settings windows, help, quit.
#include "app/HostCommands.h"

#include <system_error>

#include "console/ConfigFile.h"
#include "console/Console.h"
#include "console/LineReader.h"
#include "console/Variable.h"

namespace host {

namespace {
// Scripts may exec other scripts; this bounds a chain of them.
constexpr int kMaxScriptDepth = 16;

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}
}  // namespace

bool runLines(Console& console, LineReader& reader, const std::string& source) {
    bool ok = true;
    std::string line;
    while (!console.quitRequested()) {
        switch (reader.next(line)) {
            case LineReader::Status::Line:
                if (!console.execute(line)) ok = false;
                break;
            case LineReader::Status::Interrupted:
                break;  // the loop's condition sees a stop signal
            case LineReader::Status::End:
                return ok;
            case LineReader::Status::TooLong:
                console.err(source + ":" + std::to_string(reader.lineNumber()) +
                            ": line longer than 1 MiB; the rest was not run");
                return false;
            case LineReader::Status::Error:
                console.err("cannot read " + source + ": " + reader.error());
                return false;
        }
    }
    return ok;
}

HostCommands::HostCommands(Console& console, std::filesystem::path scriptBase)
    : console_(console), scriptBase_(std::move(scriptBase)) {}

bool HostCommands::restoreConfigNow() {
    std::string error;
    if (restoreConfig(console_, kConfigFile, error)) return true;
    console_.err("config: " + error + "; " + kConfigFile.string() +
                 " will be left as it is at the end of the session");
    keepConfig_ = true;
    return false;
}

bool HostCommands::writeConfigNow() {
    if (keepConfig_) {
        console_.err("writeconfig: " + kConfigFile.string() +
                     " was not read completely at the start; it is left as it is");
        return false;
    }
    std::string error;
    if (writeConfig(console_, kConfigFile, error)) return true;
    console_.err("writeconfig: " + error);
    return false;
}

bool HostCommands::runScript(const std::filesystem::path& file) {
    const std::filesystem::path path = file.is_absolute() ? file : scriptBase_ / file;
    if (running_.size() >= kMaxScriptDepth) {
        console_.err("exec: " + file.string() + ": scripts nested too deeply");
        return false;
    }
    for (const auto& running : running_) {
        if (sameFile(running, path)) {
            console_.err("exec: " + file.string() + " is running already; a script cannot run itself");
            return false;
        }
    }
    LineReader reader;
    std::string error;
    if (!reader.open(path, error)) {
        console_.err("exec: cannot open " + file.string() + ": " + error);
        return false;
    }
    running_.push_back(path);
    const bool ok = runLines(console_, reader, file.string());
    running_.pop_back();
    return ok;
}

void HostCommands::listNames(const std::string& prefix) {
    for (const Variable* var : console_.variables()) {
        if (var->def.name.rfind(prefix, 0) != 0) continue;
        std::string line = var->def.name + " = " + var->value;
        if (var->def.hasMin && var->def.hasMax)
            line += "  (" + formatFloat(var->def.min) + " to " + formatFloat(var->def.max) + ")";
        if (!var->def.description.empty()) line += "  " + var->def.description;
        console_.out(line);
    }
    for (const auto& [name, description] : console_.pluginCommands()) {
        if (name.rfind(prefix, 0) != 0) continue;
        console_.out(name + "  (command)" + (description.empty() ? "" : "  " + description));
    }
}

bool HostCommands::noArguments(const Words& words) {
    if (words.size() == 1) return true;
    console_.err("usage: " + words[0]);
    return false;
}

bool HostCommands::refreshCommand(const Words& words) {
    if (!noArguments(words)) return false;
    refreshSettings();
    return true;
}

bool HostCommands::writeConfigCommand(const Words& words) {
    return noArguments(words) && writeConfigNow();
}

bool HostCommands::execCommand(const Words& words) {
    if (words.size() == 2) return runScript(words[1]);
    console_.err("usage: exec FILE");
    return false;
}

bool HostCommands::quitCommand(const Words& words) {
    if (!noArguments(words)) return false;
    console_.requestQuit();
    return true;
}

bool HostCommands::helpCommand(const Words& words) {
    if (!noArguments(words)) return false;
    for (const auto& [name, help] : console_.hostCommands()) console_.out(name + " - " + help);
    return true;
}

bool HostCommands::listCommand(const Words& words) {
    if (words.size() > 2) {
        console_.err("usage: list [PREFIX]");
        return false;
    }
    listNames(words.size() == 2 ? words[1] : "");
    return true;
}

bool HostCommands::settingsCommand(const Words& words) {
    if (!noArguments(words)) return false;
    for (const SettingsWindow& window : settings_.windows())
        for (const std::string& line : formatSettingsWindow(window)) console_.out(line);
    return true;
}

void HostCommands::registerAll() {
    struct Entry {
        const char* name;
        const char* help;
        bool (HostCommands::*fn)(const Words&);
    };
    static const Entry kEntries[] = {
        {"cl_settings_refreshplugins", "re-reads the plug-in settings files", &HostCommands::refreshCommand},
        {"writeconfig", "writes the saved variables to bakkesmod/cfg/config.cfg",
         &HostCommands::writeConfigCommand},
        {"exec",
         "exec FILE: runs the console lines of a script file (a relative FILE is taken from where "
         "the program was started)",
         &HostCommands::execCommand},
        {"quit", "ends the session", &HostCommands::quitCommand},
        {"help", "lists the host commands", &HostCommands::helpCommand},
        {"list", "list [PREFIX]: the plug-ins' variables with their values and ranges, then their commands",
         &HostCommands::listCommand},
        {"sim_settings", "prints the settings windows", &HostCommands::settingsCommand},
    };
    for (const Entry& e : kEntries)
        console_.addHostCommand(e.name, e.help, [this, fn = e.fn](const Words& words) { return (this->*fn)(words); });
}

}  // namespace host
