// One session of the simulated host: console, loader, host commands and game, wired in order.
#include "app/Session.h"

#include <iostream>

#include "app/HostCommands.h"
#include "app/Installation.h"
#include "canvas/DrawCommands.h"
#include "console/Console.h"
#include "game/Game.h"
#include "game/SimCommands.h"
#include "loader/PluginLoader.h"

namespace host {

// Declared in this order so that the plug-ins go before the game, and the game before the
// console whose variables they own.
struct Session::Parts {
    Parts(const SessionConfig& config, std::ostream& out, std::ostream& err)
        : console(out, err),
          loader(console, "bakkesmod/plugins", config.fallbackPluginDir),
          commands(console, config.scriptBase) {}
    Console console;
    PluginLoader loader;
    HostCommands commands;
    Game game;
};

Session::Session(const SessionConfig& config) : Session(config, std::cout, std::cerr) {}

Session::Session(const SessionConfig& config, std::ostream& out, std::ostream& err)
    : parts_(std::make_unique<Parts>(config, out, err)) {
    Parts& p = *parts_;
    if (config.layOut) installed_ = layOutInstallation(".", p.console);
    p.loader.registerCommands();
    p.commands.registerAll();
    Game& game = p.game;
    p.loader.setGame(&game, [&game](const PluginContext* c) { game.dropOwner(c); });
    registerSimCommands(p.console, game);
    registerDrawCommands(p.console, game, config.canvasWidth, config.canvasHeight);
    p.commands.refreshSettings();
}

Session::~Session() { parts_->loader.unloadAll(); }

Console& Session::console() { return parts_->console; }
PluginLoader& Session::loader() { return parts_->loader; }
HostCommands& Session::commands() { return parts_->commands; }
Game& Session::game() { return parts_->game; }

}  // namespace host
