// The preset record: base presets and applying a value set through the console.
#include "presets/Preset.h"

#include "text/FixedText.h"

void Preset::loadBase(int index) {
    const bool known = index >= 1 && index < static_cast<int>(kBasePresetCount);
    values = kBasePresets[known ? static_cast<std::size_t>(index) : 0];
}

void Preset::apply() {
    if (!cvarManager) return;
    // Each command is built from the record as it is now, after the previous one has run.
    for (Slider slider : kSliders)
        cvarManager->executeCommand(sliderCommand(sliderSpec(slider).name, values[slider]), false);
}

std::string sliderCommand(std::string_view variable, float value) {
    return std::string(variable) + ' ' + toFixedString(value, 5);
}
