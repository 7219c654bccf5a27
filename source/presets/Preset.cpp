// The preset record: base presets and applying a value set through the console.
#include "presets/Preset.h"

#include "aero/VectorUtils.h"

void Preset::loadBase(int index) {
    const bool known = index >= 1 && index < static_cast<int>(kBasePresetCount);
    setValues(kBasePresets[known ? static_cast<std::size_t>(index) : 0]);
}

void Preset::apply() {
    if (!cvarManager) return;
    // Each command is built from the record as it is now, after the previous one has run.
    for (const SliderField& slider : kSliderFields)
        cvarManager->executeCommand(sliderCommand(slider.variable, this->*slider.field), false);
}

SliderValues Preset::values() const {
    SliderValues result{};
    for (std::size_t i = 0; i < kSliderCount; ++i) result[i] = this->*kSliderFields[i].field;
    return result;
}

void Preset::setValues(const SliderValues& values) {
    for (std::size_t i = 0; i < kSliderCount; ++i) this->*kSliderFields[i].field = values[i];
}

std::string sliderCommand(const char* variable, float value) {
    return std::string(variable) + ' ' + toFixedString(value, 5);
}
