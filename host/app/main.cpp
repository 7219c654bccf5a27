// The wingleaf-host program: options, installation, plug-ins, console lines, saved variables.
#include <csignal>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "app/HostCommands.h"
#include "app/Options.h"
#include "app/Prompt.h"
#include "app/Session.h"
#include "console/Console.h"
#include "console/LineReader.h"
#include "console/StopSignal.h"
#include "loader/PluginLoader.h"

namespace {

constexpr int kExitBadArguments = 2;
// Lines typed at the prompt, kept across sessions; relative to the root.
constexpr const char* kHistoryFile = ".wingleaf_history";

int badArguments(const std::string& error) {
    std::cerr << "wingleaf-host: " << error << "\n" << host::usageLine() << "\n";
    return kExitBadArguments;
}

// Options name paths relative to where the program was started; the session runs in ROOT.
std::string absoluteFrom(const std::filesystem::path& base, const std::string& path) {
    const std::filesystem::path p(path);
    return p.is_absolute() ? path : (base / p).lexically_normal().string();
}

bool looksLikePath(const std::string& s) { return s.find_first_of("/\\") != std::string::npos; }

// A SCRIPT argument that names nothing is a bad argument, found before anything is touched.
std::string missingScript(const host::Options& options, const std::filesystem::path& startDir) {
    for (const host::Input& input : options.inputs) {
        std::error_code ec;
        if (input.script && !std::filesystem::exists(absoluteFrom(startDir, input.text), ec) && !ec)
            return input.text;
    }
    return "";
}

bool enterRoot(const std::string& root) {
    if (root.empty()) return true;
    std::error_code ec;
    std::filesystem::create_directories(root, ec);
    std::filesystem::current_path(root, ec);
    if (!ec) return true;
    std::cerr << "wingleaf-host: cannot use root " << root << ": " << ec.message() << "\n";
    return false;
}

void readStandardInput(host::Console& console) {
    if (host::Prompt::interactive()) {
        host::Prompt prompt(console, kHistoryFile);
        while (!console.quitRequested()) {
            const auto line = prompt.next();
            if (!line) break;
            console.execute(*line);
        }
        return;
    }
    host::LineReader in;
    in.attach(0);
    if (!host::runLines(console, in, "standard input")) console.markFailed();
}

void runInputs(host::Console& console, host::HostCommands& commands, const std::vector<host::Input>& inputs) {
    if (inputs.empty()) return readStandardInput(console);
    for (const host::Input& input : inputs) {
        if (console.quitRequested()) break;
        if (!input.script) console.execute(input.text);
        else if (!commands.runScript(input.text)) console.markFailed();
    }
}

int runSession(host::Options options) {
    std::error_code ec;
    const std::filesystem::path startDir = std::filesystem::current_path(ec);
    if (const std::string missing = missingScript(options, startDir); !missing.empty())
        return badArguments("no such script file: " + missing);
    for (auto& p : options.plugins) {
        if (!looksLikePath(p)) continue;
        p = absoluteFrom(startDir, p);
        std::error_code missingEc;
        if (!std::filesystem::exists(p, missingEc) && !missingEc)
            return badArguments("no such plug-in file: " + p);
    }
    if (!enterRoot(options.root)) return kExitBadArguments;

    host::SessionConfig config;
    config.scriptBase = startDir;
    config.fallbackPluginDir = WL_BUILD_PLUGIN_DIR;
    config.canvasWidth = options.canvasWidth;
    config.canvasHeight = options.canvasHeight;
    host::Session session(config);
    host::Console& console = session.console();
    host::PluginLoader& loader = session.loader();
    host::HostCommands& commands = session.commands();
    // A plug-in of the command line that does not load is a bad argument: the lines meant for
    // it are not run, and the saved variables stay as they are.
    for (const auto& plugin : options.plugins) {
        if (loader.load(plugin)) continue;
        loader.unloadAll();
        return kExitBadArguments;
    }
    if (!commands.restoreConfigNow()) console.markFailed();

    runInputs(console, commands, options.inputs);

    loader.unloadAll();
    if (!commands.writeConfigNow()) console.markFailed();
    if (const int signal = host::stopSignal()) return 128 + signal;
    return console.failed() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    host::Options options;
    std::string error;
    if (!host::parseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error))
        return badArguments(error);
    if (options.help) {
        std::cout << host::helpText();
        return 0;
    }
    if (options.version) {
        std::cout << "wingleaf-host " << WL_VERSION << "\n";
        return 0;
    }
    // Ctrl-C, SIGTERM, a hang-up (the terminal closed) and a closed output (a pipe's reader gone)
    // end the session through its normal end (plug-ins unloaded, saved variables written).
    host::installStopHandlers();
    host::stopWhenOutputCloses();
    try {
        return runSession(std::move(options));
    } catch (const std::exception& e) {
        std::cerr << "wingleaf-host: " << e.what() << "\n";
        return 1;
    }
}
