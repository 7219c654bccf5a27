// The wl_ console variables: the one table of names, defaults, ranges, persistence and cells.
#pragma once
#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "core/wingleaf.h"

// The storage a variable is bound to; None means its handler reads the variable itself.
enum class CellKind : unsigned char { None, Float, Bool, String };

using FloatCell = std::shared_ptr<float> wingleaf::*;
using BoolCell = std::shared_ptr<bool> wingleaf::*;
using StringCell = std::shared_ptr<std::string> wingleaf::*;
using ChangeHandler = void (wingleaf::*)(std::string, CVarWrapper);

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
    // At most one of the three cells is set; none for variables read by their handler.
    FloatCell floatCell;
    BoolCell boolCell;
    StringCell stringCell;
    // Runs on every change of the variable; null for none.
    ChangeHandler onChange;

    constexpr CellKind cellKind() const {
        if (floatCell) return CellKind::Float;
        if (boolCell) return CellKind::Bool;
        if (stringCell) return CellKind::String;
        return CellKind::None;
    }
};

// A float slider bound to its cell, with both bounds.
constexpr SettingRow sliderRow(std::string_view name, std::string_view defaultValue,
                               std::string_view description, float min, float max, bool saved,
                               FloatCell cell) {
    return {name, defaultValue, description, true,    min,     true,
            max,  saved,        cell,        nullptr, nullptr, nullptr};
}

// An unbound variable from 0 to max whose change handler does the work.
constexpr SettingRow triggerRow(std::string_view name, std::string_view defaultValue,
                                std::string_view description, float max, bool saved,
                                ChangeHandler onChange) {
    return {name, defaultValue, description, true,    0.0f,    true,
            max,  saved,        nullptr,     nullptr, nullptr, onChange};
}

// Registration order. Every variable is registered searchable.
inline constexpr std::array<SettingRow, 19> kSettings{{
    {"wl_name_preset", "[Name of Preset]", "Name your custom wingleaf preset", false, 0.0f, false,
     0.0f, false, nullptr, nullptr, &wingleaf::namePreset, nullptr},
    sliderRow("wl_air_density", "0", "Air Density", 0.0f, 0.5f, true, &wingleaf::airDensity),
    sliderRow("wl_length", "1", "Car Length", 0.0f, 10.0f, true, &wingleaf::length),
    sliderRow("wl_width", "1", "Car Width", 0.0f, 10.0f, true, &wingleaf::width),
    sliderRow("wl_height", "1", "Car Height", 0.0f, 10.0f, true, &wingleaf::height),
    sliderRow("wl_drag_x", "0", "Scales Drag X", 0.0f, 10.0f, true, &wingleaf::dragX),
    sliderRow("wl_drag_y", "0", "Scales Drag Y", 0.0f, 10.0f, true, &wingleaf::dragY),
    sliderRow("wl_drag_z", "0", "Scales Drag Z", 0.0f, 10.0f, true, &wingleaf::dragZ),
    sliderRow("wl_pitch", "0", "Scales Pitch Stabilization", 0.0f, 10.0f, true, &wingleaf::pitch),
    sliderRow("wl_roll", "0", "Scales Roll Stabilization", 0.0f, 10.0f, true, &wingleaf::roll),
    sliderRow("wl_yaw", "0", "Scales Yaw Stabilization", 0.0f, 10.0f, true, &wingleaf::yaw),
    sliderRow("wl_lift", "0", "Scales Up/Down Lift", 0.0f, 10.0f, true, &wingleaf::lift),
    sliderRow("wl_boost", "1", "Boost Power Multiplier", 0.0f, 10.0f, true, &wingleaf::boost),
    // The lowest speed multiplier keeps the car's maximum speed above zero.
    sliderRow("wl_speed", "1", "Terminal Velocity Multiplier", 0.000499f, 10.0f, true,
              &wingleaf::speed),
    sliderRow("wl_throttle", "1", "Air Throttle Force Multiplier", 0.0f, 10.0f, false,
              &wingleaf::throttle),
    // A maximum of 0.5 still reads as true once set, since any non-zero value switches it on.
    {"wl_enabled", "0", "Enables/disable wingleaf lift functionality", true, 0.0f, true, 0.5f,
     false, nullptr, &wingleaf::enabled, nullptr, &wingleaf::onEnabledChange},
    triggerRow("wl_preset", "0", "Presets for slider values", 2000.0f, true,
               &wingleaf::onPresetSelect),
    triggerRow("wl_create", "0", "Create your custom wingleaf preset", 1.0f, false,
               &wingleaf::onPresetCreate),
    triggerRow("wl_delete", "0", "Delete your custom wingleaf preset", 1.0f, false,
               &wingleaf::onPresetDelete),
}};

// Registers every variable of the table in order, attaches its handler and binds its cell.
// The plug-in's console handle and cells must exist.
void registerSettings(wingleaf& plugin);

// The row of a variable, or null when the table has no such name.
constexpr const SettingRow* findSetting(std::string_view name) {
    for (const SettingRow& row : kSettings) {
        if (row.name == name) return &row;
    }
    return nullptr;
}
