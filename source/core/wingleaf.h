// The plug-in object: owns the setting cells, the preset, the toolbox and the HUD.
#pragma once
#include <array>
#include <memory>
#include <string>

#include "bakkesmod/plugin/bakkesmodplugin.h"
#include "core/Variables.h"
#include "sliders/SliderValues.h"
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
    std::shared_ptr<bool> enabled;
    std::shared_ptr<std::string> namePreset;
    // One float cell per slider, indexed by the slider. onLoad makes them all views into one
    // block of values (sliderBlock), so that the tick reads the current values without copying
    // them out of the cells one by one.
    std::array<std::shared_ptr<float>, kSliderCount> sliderCells;
    std::shared_ptr<SliderValues> sliderBlock;

    std::shared_ptr<float>& cell(Slider slider) { return sliderCells[sliderIndex(slider)]; }

    // The sliders' current values, as the host last wrote them into the cells; every slider at
    // its default before the cells are created.
    const SliderValues& sliderValues() const;
};
