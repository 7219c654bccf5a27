// A plug-in for the simulated game's program tests: logs mode events and pushes the car each tick.
#include <cstdio>
#include <string>

#include "bakkesmod/plugin/bakkesmodplugin.h"

class SimTestPlugin final : public BakkesMod::Plugin::BakkesModPlugin {
public:
    void onLoad() override {
        // Hooked twice on purpose: the host keeps both callbacks.
        for (const char* tag : {"first", "second"}) {
            gameWrapper->HookEvent("Function TAGame.Mutator_Freeplay_TA.Init",
                                   [this, tag](std::string) {
                                       cvarManager->log(std::string("freeplay init ") + tag +
                                                        (gameWrapper->IsInFreeplay() ? " in freeplay"
                                                                                     : ""));
                                   });
        }
        gameWrapper->HookEvent("Function TAGame.GameEvent_Soccar_TA.Destroyed",
                               [this](std::string name) { cvarManager->log("ended: " + name); });
        gameWrapper->HookEventWithCaller<CarWrapper>(
            "Function TAGame.Car_TA.SetVehicleInput", [this](CarWrapper car, void*, std::string) {
                car.AddVelocity(Vector(120, 0, 0));
                char line[64];
                std::snprintf(line, sizeof line, "tick x=%.4f", car.GetLocation().X);
                cvarManager->log(line);
            });
    }
    void onUnload() override {}
};

BAKKESMOD_PLUGIN(SimTestPlugin, "Sim Test Plugin", "0.1", PLUGINTYPE_FREEPLAY)
