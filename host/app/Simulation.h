// Wiring the simulated game and canvas into the session.
#pragma once
#include <memory>

namespace host {

class Console;
class PluginLoader;
struct Options;

// Owns the simulated world of a session (the game, once it exists).
class Simulation {
public:
    // Creates the game, hands it to the loader for new plug-ins and adds the sim_ and
    // sim_draw commands.
    Simulation(Console& console, PluginLoader& loader, const Options& options);
    ~Simulation();
    Simulation(const Simulation&) = delete;
    Simulation& operator=(const Simulation&) = delete;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace host
