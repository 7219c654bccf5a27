// One session of the simulated host, played in the working directory (the game's root): the
// console, the plug-in loader, the session's own commands and the simulated game with its
// canvas, wired as the host program starts them. The wingleaf-host program and the flight lab
// both play through it.
#pragma once
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>

namespace host {

class Console;
class Game;
class HostCommands;
class PluginLoader;

struct SessionConfig {
    // Script paths given to `exec` are relative to this folder.
    std::filesystem::path scriptBase;
    // Bare plug-in names not found under bakkesmod/plugins fall back to this folder ("": none).
    std::filesystem::path fallbackPluginDir;
    int canvasWidth = 1920, canvasHeight = 1080;
    // Lays out the installation content in the root first (a file that exists is kept).
    bool layOut = true;
};

class Session {
public:
    // Lays out the installation (when asked), creates the console, the loader and the game,
    // registers every host command and reads the settings windows. Console lines go to OUT
    // and ERR. Problems laying out are diagnostics; see installed().
    explicit Session(const SessionConfig& config);
    Session(const SessionConfig& config, std::ostream& out, std::ostream& err);
    // Unloads the plug-ins before the game and the console go.
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Console& console();
    PluginLoader& loader();
    HostCommands& commands();
    Game& game();

    // False when laying out the installation content failed (reported on the console).
    bool installed() const { return installed_; }

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
    bool installed_ = true;
};

}  // namespace host
