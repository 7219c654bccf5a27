// The slider vocabulary: every slider of the model in slider order, with the name, default,
// range and description of its console variable. Standard library only, so that every part of
// the plug-in, and every tool that drives it, can share it.
#pragma once
#include <array>
#include <cstddef>
#include <string_view>

// The sliders, in slider order: every list of slider values uses this order.
enum class Slider : unsigned char {
    speed,
    boost,
    air_density,
    length,
    width,
    height,
    drag_x,
    drag_y,
    drag_z,
    pitch,
    roll,
    yaw,
    lift,
    throttle,
};

inline constexpr std::size_t kSliderCount = 14;

constexpr std::size_t sliderIndex(Slider slider) { return static_cast<std::size_t>(slider); }

// Every slider, in slider order.
inline constexpr std::array<Slider, kSliderCount> kSliders{
    Slider::speed,  Slider::boost,  Slider::air_density, Slider::length, Slider::width,
    Slider::height, Slider::drag_x, Slider::drag_y,      Slider::drag_z, Slider::pitch,
    Slider::roll,   Slider::yaw,    Slider::lift,        Slider::throttle};

// A slider's console variable: a float with both bounds.
struct SliderSpec {
    Slider slider;
    std::string_view name;
    // As the console shows it: digits with an optional point.
    std::string_view defaultValue;
    std::string_view description;
    float min;
    float max;
    // Written to the host's configuration file.
    bool saved;
};

// Every slider's variable, in slider order.
inline constexpr std::array<SliderSpec, kSliderCount> kSliderSpecs{{
    // The lowest speed multiplier keeps the car's maximum speed above zero.
    {Slider::speed, "wl_speed", "1", "Terminal Velocity Multiplier", 0.000499f, 10.0f, true},
    {Slider::boost, "wl_boost", "1", "Boost Power Multiplier", 0.0f, 10.0f, true},
    {Slider::air_density, "wl_air_density", "0", "Air Density", 0.0f, 0.5f, true},
    {Slider::length, "wl_length", "1", "Car Length", 0.0f, 10.0f, true},
    {Slider::width, "wl_width", "1", "Car Width", 0.0f, 10.0f, true},
    {Slider::height, "wl_height", "1", "Car Height", 0.0f, 10.0f, true},
    {Slider::drag_x, "wl_drag_x", "0", "Scales Drag X", 0.0f, 10.0f, true},
    {Slider::drag_y, "wl_drag_y", "0", "Scales Drag Y", 0.0f, 10.0f, true},
    {Slider::drag_z, "wl_drag_z", "0", "Scales Drag Z", 0.0f, 10.0f, true},
    {Slider::pitch, "wl_pitch", "0", "Scales Pitch Stabilization", 0.0f, 10.0f, true},
    {Slider::roll, "wl_roll", "0", "Scales Roll Stabilization", 0.0f, 10.0f, true},
    {Slider::yaw, "wl_yaw", "0", "Scales Yaw Stabilization", 0.0f, 10.0f, true},
    {Slider::lift, "wl_lift", "0", "Scales Up/Down Lift", 0.0f, 10.0f, true},
    {Slider::throttle, "wl_throttle", "1", "Air Throttle Force Multiplier", 0.0f, 10.0f, false},
}};

// The variable of a slider.
constexpr const SliderSpec& sliderSpec(Slider slider) { return kSliderSpecs[sliderIndex(slider)]; }

namespace sliders_detail {

constexpr bool inSliderOrder() {
    for (std::size_t i = 0; i < kSliderCount; ++i) {
        if (sliderIndex(kSliders[i]) != i || kSliderSpecs[i].slider != kSliders[i]) return false;
        if (kSliderSpecs[i].name.empty() || kSliderSpecs[i].defaultValue.empty()) return false;
    }
    return true;
}

static_assert(inSliderOrder(), "kSliders and kSliderSpecs list every slider once, in slider order");

}  // namespace sliders_detail
