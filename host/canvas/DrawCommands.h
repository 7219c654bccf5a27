// The host command sim_draw: draws one frame with every registered drawable.
#pragma once

namespace host {

class Console;
class Game;

// Adds `sim_draw [--ops] [FILE.png]`: every drawable of the game runs on a fresh canvas of
// the given size; --ops prints each canvas call on one line, FILE.png writes the picture.
void registerDrawCommands(Console& console, Game& game, int canvasWidth, int canvasHeight);

}  // namespace host
