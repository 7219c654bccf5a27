// The console's sim_ commands, which drive the simulated game.
#pragma once

namespace host {

class Console;
class Game;

// Adds sim_mode, sim_event, sim_tick, sim_input, sim_cars, sim_set, sim_state and sim_hooks.
// Both objects must outlive the console's use of the commands. Also routes the game's
// diagnostics to the console's error stream.
void registerSimCommands(Console& console, Game& game);

}  // namespace host
