// The wingleaf-host program: options, installation, plug-ins, console lines, saved variables.
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "app/HostCommands.h"
#include "app/Installation.h"
#include "app/Options.h"
#include "app/Prompt.h"
#include "app/Simulation.h"
#include "console/ConfigFile.h"
#include "console/Console.h"
#include "loader/PluginLoader.h"

namespace {

constexpr int kExitBadArguments = 2;

void printHelp() {
    std::cout << host::usageLine() << "\n\n"
              << "  --root DIR     the game's working directory (created if missing; default: .)\n"
              << "  --plugin PATH  load this plug-in library first\n"
              << "  --canvas WxH   size of the simulated canvas (default 1920x1080)\n"
              << "  -c LINE        run a console line (repeatable, in order)\n"
              << "  SCRIPT         run the console lines of a file (after every -c line)\n"
              << "With neither -c nor SCRIPT, lines are read from standard input.\n"
              << "Type `help` at the prompt for the host commands.\n";
}

// Options name paths relative to where the program was started; the session runs in ROOT.
std::string absoluteFrom(const std::filesystem::path& base, const std::string& path) {
    const std::filesystem::path p(path);
    return p.is_absolute() ? path : (base / p).lexically_normal().string();
}

bool looksLikePath(const std::string& s) { return s.find_first_of("/\\") != std::string::npos; }

int runSession(host::Options options) {
    std::error_code ec;
    const std::filesystem::path startDir = std::filesystem::current_path(ec);
    for (auto& p : options.plugins)
        if (looksLikePath(p)) p = absoluteFrom(startDir, p);
    for (auto& s : options.scripts) s = absoluteFrom(startDir, s);
    if (!options.root.empty()) {
        std::filesystem::create_directories(options.root, ec);
        std::filesystem::current_path(options.root, ec);
        if (ec) {
            std::cerr << "wingleaf-host: cannot use root " << options.root << ": " << ec.message() << "\n";
            return kExitBadArguments;
        }
    }

    host::Console console;
    host::layOutInstallation(".", console);
    host::PluginLoader loader(console, "bakkesmod/plugins", WL_BUILD_PLUGIN_DIR);
    loader.registerCommands();
    host::HostCommands commands(console);
    commands.registerAll();
    host::Simulation simulation(console, loader, options);
    commands.refreshSettings();

    for (const auto& plugin : options.plugins)
        if (!loader.load(plugin)) console.markFailed();
    std::string error;
    if (!host::restoreConfig(console, host::kConfigFile, error)) {
        console.err("config: " + error);
        console.markFailed();
    }

    if (options.lines.empty() && options.scripts.empty()) {
        host::Prompt prompt;
        while (!console.quitRequested()) {
            const auto line = prompt.next();
            if (!line) break;
            console.execute(*line);
        }
    } else {
        for (const auto& line : options.lines) {
            if (console.quitRequested()) break;
            console.execute(line);
        }
        for (const auto& script : options.scripts) {
            if (console.quitRequested()) break;
            if (!commands.runScript(script)) console.markFailed();
        }
    }

    loader.unloadAll();
    if (!commands.writeConfigNow()) console.markFailed();
    return console.failed() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    host::Options options;
    std::string error;
    if (!host::parseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::cerr << "wingleaf-host: " << error << "\n" << host::usageLine() << "\n";
        return kExitBadArguments;
    }
    if (options.help) {
        printHelp();
        return 0;
    }
    try {
        return runSession(std::move(options));
    } catch (const std::exception& e) {
        std::cerr << "wingleaf-host: " << e.what() << "\n";
        return 1;
    }
}
