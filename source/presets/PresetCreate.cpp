// Change handler of wl_create: stores the current sliders as a user preset.
#include "presets/PluginPresetIo.h"

void wingleaf::onPresetCreate(std::string /*oldValue*/, CVarWrapper cvar) {
    if (!cvar.getBoolValue()) return;
    const std::string name = namePreset ? *namePreset : std::string();
    createPreset(pluginPresetIo(*this), name, currentSliders(*this));
}
