// The wl_ console variables: the one table of names, defaults, ranges, persistence and what each
// variable is bound to, and the fourteen sliders among them.
#pragma once
#include <array>
#include <cstddef>
#include <string_view>

class wingleaf;

// The fourteen sliders, in slider order: every list of the fourteen values uses this order.
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

// What a variable is bound to, and so what runs when it changes.
enum class Binding : unsigned char {
    Slider,        // the plug-in's float cell of one slider; no handler
    NamePreset,    // the string cell of the preset name; no handler
    Enabled,       // the bool cell, and the handler that installs or removes the model
    PresetSelect,  // no cell: each of these handlers reads its variable itself
    PresetCreate,
    PresetDelete,
};

// The kind of storage a variable is bound to; None means its handler reads the variable.
enum class CellKind : unsigned char { None, Float, Bool, String };

struct SettingRow {
    std::string_view name;
    std::string_view defaultValue;
    std::string_view description;
    bool hasMin;
    float min;
    bool hasMax;
    float max;
    // Written to the host's configuration file.
    bool saved;
    Binding binding;
    // The slider of a Binding::Slider row.
    Slider slider;

    constexpr CellKind cellKind() const {
        switch (binding) {
            case Binding::Slider:
                return CellKind::Float;
            case Binding::NamePreset:
                return CellKind::String;
            case Binding::Enabled:
                return CellKind::Bool;
            default:
                return CellKind::None;
        }
    }
};

// A slider: a float variable with both bounds, bound to the slider's cell.
constexpr SettingRow sliderRow(Slider slider, std::string_view name, std::string_view defaultValue,
                               std::string_view description, float min, float max, bool saved) {
    return {name, defaultValue, description, true, min, true, max, saved, Binding::Slider, slider};
}

// An unbound variable from 0 to max whose change handler does the work.
constexpr SettingRow triggerRow(Binding handler, std::string_view name, float max, bool saved,
                                std::string_view description) {
    return {name, "0", description, true, 0.0f, true, max, saved, handler, Slider{}};
}

// Registration order. Every variable is registered searchable.
inline constexpr std::array<SettingRow, 19> kSettings{{
    {"wl_name_preset", "[Name of Preset]", "Name your custom wingleaf preset", false, 0.0f, false,
     0.0f, false, Binding::NamePreset, Slider{}},
    sliderRow(Slider::air_density, "wl_air_density", "0", "Air Density", 0.0f, 0.5f, true),
    sliderRow(Slider::length, "wl_length", "1", "Car Length", 0.0f, 10.0f, true),
    sliderRow(Slider::width, "wl_width", "1", "Car Width", 0.0f, 10.0f, true),
    sliderRow(Slider::height, "wl_height", "1", "Car Height", 0.0f, 10.0f, true),
    sliderRow(Slider::drag_x, "wl_drag_x", "0", "Scales Drag X", 0.0f, 10.0f, true),
    sliderRow(Slider::drag_y, "wl_drag_y", "0", "Scales Drag Y", 0.0f, 10.0f, true),
    sliderRow(Slider::drag_z, "wl_drag_z", "0", "Scales Drag Z", 0.0f, 10.0f, true),
    sliderRow(Slider::pitch, "wl_pitch", "0", "Scales Pitch Stabilization", 0.0f, 10.0f, true),
    sliderRow(Slider::roll, "wl_roll", "0", "Scales Roll Stabilization", 0.0f, 10.0f, true),
    sliderRow(Slider::yaw, "wl_yaw", "0", "Scales Yaw Stabilization", 0.0f, 10.0f, true),
    sliderRow(Slider::lift, "wl_lift", "0", "Scales Up/Down Lift", 0.0f, 10.0f, true),
    sliderRow(Slider::boost, "wl_boost", "1", "Boost Power Multiplier", 0.0f, 10.0f, true),
    // The lowest speed multiplier keeps the car's maximum speed above zero.
    sliderRow(Slider::speed, "wl_speed", "1", "Terminal Velocity Multiplier", 0.000499f, 10.0f,
              true),
    sliderRow(Slider::throttle, "wl_throttle", "1", "Air Throttle Force Multiplier", 0.0f, 10.0f,
              false),
    // A maximum of 0.5 still reads as true once set, since any non-zero value switches it on.
    {"wl_enabled", "0", "Enables/disable wingleaf lift functionality", true, 0.0f, true, 0.5f,
     false, Binding::Enabled, Slider{}},
    triggerRow(Binding::PresetSelect, "wl_preset", 2000.0f, true, "Presets for slider values"),
    triggerRow(Binding::PresetCreate, "wl_create", 1.0f, false,
               "Create your custom wingleaf preset"),
    triggerRow(Binding::PresetDelete, "wl_delete", 1.0f, false,
               "Delete your custom wingleaf preset"),
}};

// The row of a variable, or null when the table has no such name.
constexpr const SettingRow* findSetting(std::string_view name) {
    for (const SettingRow& row : kSettings) {
        if (row.name == name) return &row;
    }
    return nullptr;
}

namespace settings_detail {

constexpr const SettingRow* findSlider(Slider slider) {
    for (const SettingRow& row : kSettings) {
        if (row.binding == Binding::Slider && row.slider == slider) return &row;
    }
    return nullptr;
}

constexpr bool everySliderOnce() {
    for (Slider slider : kSliders) {
        int rows = 0;
        for (const SettingRow& row : kSettings)
            rows += row.binding == Binding::Slider && row.slider == slider ? 1 : 0;
        if (rows != 1) return false;
    }
    return true;
}

static_assert(everySliderOnce(), "every slider has exactly one row in the settings table");

}  // namespace settings_detail

// The row of a slider's variable.
constexpr const SettingRow& settingOf(Slider slider) {
    return *settings_detail::findSlider(slider);
}

// Registers every variable of the table in order, attaches its handler and binds its cell.
// The plug-in's console handle and cells must exist.
void registerSettings(wingleaf& plugin);
