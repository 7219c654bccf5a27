// Switching the per-tick model on and off as the user and the game change mode.
#pragma once
#include "bakkesmod/wrappers/GameWrapper.h"

class wingleaf;

// Gives the car its stock maximum speeds, boost force, air throttle force, air torque and
// sticky force. A null car is left alone.
void restoreStockValues(CarWrapper car);

// Hooks the mode-start, mode-end, player-restart and resume events on the plug-in's game
// handle, in the order of events::kHooked. Called once by onLoad.
void hookGameEvents(wingleaf& plugin);
