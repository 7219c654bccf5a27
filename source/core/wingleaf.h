// The plug-in object: owns the setting cells, the preset, the toolbox and the HUD.
#pragma once
#include <memory>
#include <string>

#include "bakkesmod/plugin/bakkesmodplugin.h"
#include "devtools/DevCommands.h"
#include "hud/Hud.h"
#include "presets/Preset.h"

class wingleaf final : public BakkesMod::Plugin::BakkesModPlugin {
public:
    void onLoad() override;
    void onUnload() override;

    // Per-tick model, hooked on the car's input update while active.
    void applyAerodynamics(CarWrapper car, void* params, std::string eventName);

    // Change handlers of the wl_ variables: previous value, then the variable.
    void onEnabledChange(std::string oldValue, CVarWrapper cvar);
    void onPresetSelect(std::string oldValue, CVarWrapper cvar);
    void onPresetCreate(std::string oldValue, CVarWrapper cvar);
    void onPresetDelete(std::string oldValue, CVarWrapper cvar);

    // Game-event hooks that install, remove, pause and resume the per-tick model.
    void onModeStart(std::string eventName);
    void onModeEnd(std::string eventName);
    void onSuspend(std::string eventName);
    void onResume(std::string eventName);

    DevCommands devCommands;
    Hud hud;
    // True while a player restart has paused the model until the next resume event or until
    // the user switches wl_enabled.
    bool suspended = false;
    std::shared_ptr<Preset> preset;

    // Storage cells bound to the wl_ variables; the host writes every new value into them.
    std::shared_ptr<float> airDensity;
    std::shared_ptr<float> boost;
    std::shared_ptr<float> speed;
    std::shared_ptr<float> length;
    std::shared_ptr<float> width;
    std::shared_ptr<float> height;
    std::shared_ptr<float> dragX;
    std::shared_ptr<float> dragY;
    std::shared_ptr<float> dragZ;
    std::shared_ptr<float> pitch;
    std::shared_ptr<float> roll;
    std::shared_ptr<float> yaw;
    std::shared_ptr<float> lift;
    std::shared_ptr<bool> enabled;
    std::shared_ptr<std::string> namePreset;
    std::shared_ptr<float> throttle;
};
