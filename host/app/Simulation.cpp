// Wiring the simulated game and canvas into the session.
#include "app/Simulation.h"

#include "app/Options.h"
#include "canvas/DrawCommands.h"
#include "console/Console.h"
#include "game/Game.h"
#include "game/SimCommands.h"
#include "loader/PluginLoader.h"

namespace host {

// The session's game, with the sim_ commands and sim_draw on a canvas of the configured size.
struct Simulation::State {
    explicit State(PluginLoader& l) : loader(l) {}
    PluginLoader& loader;
    Game game;
};

Simulation::Simulation(Console& console, PluginLoader& loader, const Options& options)
    : state_(std::make_unique<State>(loader)) {
    Game& game = state_->game;
    loader.setGame(&game, [&game](const PluginContext* c) { game.dropOwner(c); });
    registerSimCommands(console, game);
    registerDrawCommands(console, game, options.canvasWidth, options.canvasHeight);
}

// Plug-ins hold hooks and drawables in the game: they go before the game does.
Simulation::~Simulation() { state_->loader.unloadAll(); }

}  // namespace host
