// The wl_ console variables: the one table of their registration order, defaults, ranges,
// persistence and what each is bound to. The sliders' own variables come from the vocabulary.
#pragma once
#include <array>
#include <cstddef>
#include <string_view>

#include "sliders/Sliders.h"

class wingleaf;

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

struct VariableRow {
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

// A slider's variable, bound to the slider's cell.
constexpr VariableRow sliderRow(Slider slider) {
    const SliderSpec& spec = sliderSpec(slider);
    return {spec.name, spec.defaultValue, spec.description, true, spec.min, true, spec.max,
            spec.saved, Binding::Slider, slider};
}

// An unbound variable from 0 to max whose change handler does the work.
constexpr VariableRow triggerRow(Binding handler, std::string_view name, float max, bool saved,
                                std::string_view description) {
    return {name, "0", description, true, 0.0f, true, max, saved, handler, Slider{}};
}

// Registration order. Every variable is registered searchable.
inline constexpr std::array<VariableRow, 19> kVariables{{
    {"wl_name_preset", "[Name of Preset]", "Name your custom wingleaf preset", false, 0.0f, false,
     0.0f, false, Binding::NamePreset, Slider{}},
    sliderRow(Slider::air_density),
    sliderRow(Slider::length),
    sliderRow(Slider::width),
    sliderRow(Slider::height),
    sliderRow(Slider::drag_x),
    sliderRow(Slider::drag_y),
    sliderRow(Slider::drag_z),
    sliderRow(Slider::pitch),
    sliderRow(Slider::roll),
    sliderRow(Slider::yaw),
    sliderRow(Slider::lift),
    sliderRow(Slider::boost),
    sliderRow(Slider::speed),
    sliderRow(Slider::throttle),
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
constexpr const VariableRow* findVariable(std::string_view name) {
    for (const VariableRow& row : kVariables) {
        if (row.name == name) return &row;
    }
    return nullptr;
}

namespace variables_detail {

constexpr const VariableRow* findSlider(Slider slider) {
    for (const VariableRow& row : kVariables) {
        if (row.binding == Binding::Slider && row.slider == slider) return &row;
    }
    return nullptr;
}

constexpr bool everySliderOnce() {
    for (Slider slider : kSliders) {
        int rows = 0;
        for (const VariableRow& row : kVariables)
            rows += row.binding == Binding::Slider && row.slider == slider ? 1 : 0;
        if (rows != 1) return false;
    }
    return true;
}

static_assert(everySliderOnce(), "every slider has exactly one row in the variable table");

}  // namespace variables_detail

// The row of a slider's variable.
constexpr const VariableRow& variableOf(Slider slider) {
    return *variables_detail::findSlider(slider);
}

// Registers every variable of the table in order, attaches its handler and binds its cell.
// The plug-in's console handle and cells must exist.
void registerVariables(wingleaf& plugin);
