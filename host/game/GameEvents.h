// Names of the game functions the simulated game fires, and the modes with their event order.
#pragma once
#include <optional>
#include <span>
#include <string_view>

namespace host {

namespace events {
// The car's input of one tick: the hook the simulated game fires once per car and tick.
inline constexpr std::string_view kSetVehicleInput = "Function TAGame.Car_TA.SetVehicleInput";
}  // namespace events

enum class Mode { Menu, Freeplay, Training, Exhibition, Online };

// Lower-case name as typed at the console: menu, freeplay, training, exhibition, online.
std::string_view modeName(Mode mode);
std::optional<Mode> parseMode(std::string_view name);

// Events fired when a mode is entered, in the game's order. The game is complete (mode, game
// event, cars, ball) before the first one fires:
//   freeplay:   InitGameEvent (the game info creates the soccar event), then the freeplay
//               mutator's Init, which runs on the created event.
//   training:   the training editor's StartPlayTest.
//   exhibition: InitGameEvent.
//   online:     none; the client neither creates nor initialises the server's game event.
//   menu:       none.
std::span<const std::string_view> startEvents(Mode mode);

// Events fired when a mode is left, in the game's order, while its objects still exist:
//   freeplay, exhibition: the soccar event's Destroyed, then the game info's
//               HandleMainEventDestroyed, which reacts to it.
//   training:   the training editor event's Destroyed.
//   online:     the soccar event's Destroyed (the client's copy of the event goes away too).
//   menu:       none.
std::span<const std::string_view> endEvents(Mode mode);

}  // namespace host
