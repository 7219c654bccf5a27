// Wiring the simulated game and canvas into the session.
#include "app/Simulation.h"

#include "app/Options.h"
#include "console/Console.h"
#include "loader/PluginLoader.h"

namespace host {

// The session's game lives here. When host/game lands: hold a host::Game, call
// loader.setGame(&game, [&game](const PluginContext* c) { game.dropOwner(c); }),
// host::registerSimCommands(console, game) and, with host/canvas,
// host::registerDrawCommands(console, game, options.canvasWidth, options.canvasHeight).
struct Simulation::State {
    PluginLoader& loader;
};

Simulation::Simulation(Console& /*console*/, PluginLoader& loader, const Options& /*options*/)
    : state_(std::make_unique<State>(State{loader})) {}

// Plug-ins hold hooks and drawables in the game: they go before the game does.
Simulation::~Simulation() { state_->loader.unloadAll(); }

}  // namespace host
