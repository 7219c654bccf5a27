// Change handler of wl_preset: applies a base preset by index or a user preset by name.
#include "presets/PluginPresetIo.h"

void wingleaf::onPresetSelect(std::string /*oldValue*/, CVarWrapper cvar) {
    if (!preset) return;
    const std::string value = cvar.getStringValue();
    if (isPresetIndex(value)) {
        preset->loadBase(cvar.getIntValue());
        preset->apply();
        return;
    }
    // Fields a short file does not supply keep the sliders' current values, so only what
    // the file states changes; a file without any number changes nothing.
    SliderValues values = currentSliders(*this);
    const auto count = readPresetFile(PresetPaths{}, value, values);
    if (!count || *count == 0) return;
    preset->setValues(values);
    preset->apply();
}
