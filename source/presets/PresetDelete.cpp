// Change handler of wl_delete: removes the user preset named in wl_name_preset, on every change.
#include <exception>

#include "presets/PluginPresetIo.h"

void wingleaf::onPresetDelete(std::string /*oldValue*/, CVarWrapper /*cvar*/) {
    try {
        const std::string name = namePreset ? *namePreset : std::string();
        deletePreset(pluginPresetIo(*this), name);
    } catch (const std::exception& error) {
        if (cvarManager) cvarManager->log(std::string("Preset deletion failed: ") + error.what());
    }
}
