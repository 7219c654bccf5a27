// Change handler of wl_create: stores the current sliders as a user preset.
#include <exception>

#include "presets/PluginPresetIo.h"

void wingleaf::onPresetCreate(std::string /*oldValue*/, CVarWrapper cvar) {
    try {
        if (!cvar.getBoolValue()) return;
        const std::string name = namePreset ? *namePreset : std::string();
        createPreset(pluginPresetIo(*this), name, currentSliders(*this));
    } catch (const std::exception& error) {
        if (cvarManager) cvarManager->log(std::string("Preset creation failed: ") + error.what());
    }
}
