// Wiring the simulated game and canvas into the session.
#include "app/Simulation.h"

#include "app/Options.h"
#include "console/Console.h"
#include "game/Game.h"
#include "game/SimCommands.h"
#include "loader/PluginLoader.h"

namespace host {

// The session's game. sim_draw (host/canvas) is added here too once it exists:
// host::registerDrawCommands(console, game, options.canvasWidth, options.canvasHeight).
struct Simulation::State {
    explicit State(PluginLoader& l) : loader(l) {}
    PluginLoader& loader;
    Game game;
};

Simulation::Simulation(Console& console, PluginLoader& loader, const Options& /*options*/)
    : state_(std::make_unique<State>(loader)) {
    Game& game = state_->game;
    loader.setGame(&game, [&game](const PluginContext* c) { game.dropOwner(c); });
    registerSimCommands(console, game);
}

// Plug-ins hold hooks and drawables in the game: they go before the game does.
Simulation::~Simulation() { state_->loader.unloadAll(); }

}  // namespace host
