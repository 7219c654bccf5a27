// One full set of the fourteen slider values, the built-in base presets, and the console handle
// that applies them.
#pragma once
#include <array>
#include <cstddef>
#include <memory>
#include <string>

#include "bakkesmod/wrappers/cvarmanagerwrapper.h"

// The fourteen slider values in slider order (speed first, throttle last).
inline constexpr std::size_t kSliderCount = 14;
using SliderValues = std::array<float, kSliderCount>;

class Preset {
public:
    float speed = 1;
    float boost = 1;
    float air_density = 0;
    float length = 1;
    float width = 1;
    float height = 1;
    float drag_x = 0;
    float drag_y = 0;
    float drag_z = 0;
    float pitch = 0;
    float roll = 0;
    float yaw = 0;
    float lift = 0;
    float throttle = 1;
    // Shared with the plug-in object; empty until the plug-in hands it over at load.
    std::shared_ptr<CVarManagerWrapper> cvarManager;

    // Replaces the fourteen values with base preset `index`; 0 and every index outside 1 to 5
    // give the defaults. The console handle is kept; nothing is sent.
    void loadBase(int index);

    // Sends one "wl_<slider> <value>" line per field, in slider order, values with five decimals.
    void apply();

    SliderValues values() const;
    void setValues(const SliderValues& values);
};

// The slider order, once for everything that lists the fourteen values: each slider's
// console variable and its field in the record.
struct SliderField {
    const char* variable;
    float Preset::*field;
};

inline constexpr std::array<SliderField, kSliderCount> kSliderFields{{
    {"wl_speed", &Preset::speed},
    {"wl_boost", &Preset::boost},
    {"wl_air_density", &Preset::air_density},
    {"wl_length", &Preset::length},
    {"wl_width", &Preset::width},
    {"wl_height", &Preset::height},
    {"wl_drag_x", &Preset::drag_x},
    {"wl_drag_y", &Preset::drag_y},
    {"wl_drag_z", &Preset::drag_z},
    {"wl_pitch", &Preset::pitch},
    {"wl_roll", &Preset::roll},
    {"wl_yaw", &Preset::yaw},
    {"wl_lift", &Preset::lift},
    {"wl_throttle", &Preset::throttle},
}};

// The default values and the base presets 1 to 5, in slider order.
inline constexpr std::size_t kBasePresetCount = 6;
inline constexpr std::array<SliderValues, kBasePresetCount> kBasePresets{{
    {1.0f, 1.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f},
    {2.067f, 0.577f, 0.035f, 0.978f, 1.218f, 0.481f, 0.065f, 0.065f, 0.321f, 0.321f, 0.304f, 0.24f,
     0.171f, 6.724f},
    {10.0f, 2.003f, 0.02f, 4.177f, 1.04f, 0.202f, 2.609f, 2.64f, 0.481f, 3.944f, 4.348f, 4.425f,
     0.233f, 10.0f},
    {2.081f, 0.0f, 0.206f, 0.978f, 1.218f, 0.481f, 1.056f, 1.071f, 0.062f, 0.0f, 0.0f, 0.326f,
     3.012f, 10.0f},
    {0.714f, 0.0f, 0.03f, 10.0f, 10.0f, 0.001f, 0.512f, 0.543f, 0.575f, 0.404f, 0.0f, 0.0f, 0.839f,
     4.565f},
    {0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.0f, 10.0f, 10.0f, 10.0f, 0.0f, 0.0f, 10.0f, 0.0f, 0.0f},
}};

// The command line that sets one slider: variable, one blank, value with five decimals.
std::string sliderCommand(const char* variable, float value);
