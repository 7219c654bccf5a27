// One full set of the fourteen slider values, the built-in base presets, and the console handle
// that applies them.
#pragma once
#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "bakkesmod/wrappers/cvarmanagerwrapper.h"
#include "sliders/SliderValues.h"

class Preset {
public:
    // The fourteen values, in slider order, each feeding the slider's variable.
    SliderValues values;
    // Shared with the plug-in object; empty until the plug-in hands it over at load.
    std::shared_ptr<CVarManagerWrapper> cvarManager;

    // Replaces the fourteen values with base preset `index`; 0 and every index outside 1 to 5
    // give the defaults. The console handle is kept; nothing is sent.
    void loadBase(int index);

    // Sends one "wl_<slider> <value>" line per slider, in slider order, values with five decimals.
    void apply();
};

// Base presets 1 to 5, one row per slider: its value in each of them.
inline constexpr std::size_t kBasePresetCount = 6;
struct BasePresetRow {
    Slider slider;
    std::array<float, kBasePresetCount - 1> values;
};
inline constexpr std::array<BasePresetRow, kSliderCount> kBasePresetRows{{
    //                      1       2       3       4       5
    {Slider::speed,       {2.067f, 10.0f,  2.081f, 0.714f, 0.0f}},
    {Slider::boost,       {0.577f, 2.003f, 0.0f,   0.0f,   0.0f}},
    {Slider::air_density, {0.035f, 0.02f,  0.206f, 0.03f,  0.5f}},
    {Slider::length,      {0.978f, 4.177f, 0.978f, 10.0f,  0.0f}},
    {Slider::width,       {1.218f, 1.04f,  1.218f, 10.0f,  0.0f}},
    {Slider::height,      {0.481f, 0.202f, 0.481f, 0.001f, 0.0f}},
    {Slider::drag_x,      {0.065f, 2.609f, 1.056f, 0.512f, 10.0f}},
    {Slider::drag_y,      {0.065f, 2.64f,  1.071f, 0.543f, 10.0f}},
    {Slider::drag_z,      {0.321f, 0.481f, 0.062f, 0.575f, 10.0f}},
    {Slider::pitch,       {0.321f, 3.944f, 0.0f,   0.404f, 0.0f}},
    {Slider::roll,        {0.304f, 4.348f, 0.0f,   0.0f,   0.0f}},
    {Slider::yaw,         {0.24f,  4.425f, 0.326f, 0.0f,   10.0f}},
    {Slider::lift,        {0.171f, 0.233f, 3.012f, 0.839f, 0.0f}},
    {Slider::throttle,    {6.724f, 10.0f,  10.0f,  4.565f, 0.0f}},
}};

namespace preset_detail {

constexpr std::array<SliderValues, kBasePresetCount> basePresets() {
    std::array<SliderValues, kBasePresetCount> presets{};
    for (const BasePresetRow& row : kBasePresetRows)
        for (std::size_t i = 1; i < kBasePresetCount; ++i)
            presets[i][row.slider] = row.values[i - 1];
    return presets;
}

constexpr bool everySliderOnce() {
    for (std::size_t i = 0; i < kSliderCount; ++i)
        if (kBasePresetRows[i].slider != kSliders[i]) return false;
    return true;
}

static_assert(everySliderOnce(), "one row per slider, in slider order");

}  // namespace preset_detail

// The defaults (index 0) and the base presets 1 to 5.
inline constexpr std::array<SliderValues, kBasePresetCount> kBasePresets =
    preset_detail::basePresets();

// The command line that sets one slider: variable, one blank, value with five decimals.
std::string sliderCommand(std::string_view variable, float value);
