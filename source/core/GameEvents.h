// Names of the game functions the plug-in hooks, and which activation handler each one drives.
#pragma once
#include <array>

namespace events {

// Runs on every input update of a car; carries the per-tick model while it is active.
inline constexpr const char* kTick = "Function TAGame.Car_TA.SetVehicleInput";

// What a hooked game event means to the activation logic.
enum class Role { ModeStart, ModeEnd, Suspend, Resume };

struct GameEvent {
    const char* name;
    Role role;
};

// Hooked at load, in this order.
inline constexpr std::array<GameEvent, 8> kHooked{{
    {"Function TAGame.Mutator_Freeplay_TA.Init", Role::ModeStart},
    {"Function TAGame.GameEvent_Soccar_TA.Destroyed", Role::ModeEnd},
    {"Function TAGame.GameEvent_TrainingEditor_TA.StartPlayTest", Role::ModeStart},
    {"Function TAGame.GameEvent_TrainingEditor_TA.Destroyed", Role::ModeEnd},
    {"Function TAGame.GameInfo_Soccar_TA.InitGameEvent", Role::ModeStart},
    {"Function TAGame.GameInfo_Soccar_TA.HandleMainEventDestroyed", Role::ModeEnd},
    {"Function GameEvent_TA.Countdown.OnPlayerRestarted", Role::Suspend},
    {"Function ProjectX.GFxDataStore_X.CreateObject", Role::Resume},
}};

}  // namespace events
