// Change handler of wl_delete: removes the user preset named in wl_name_preset, on every change.
#include "presets/PluginPresetIo.h"

void wingleaf::onPresetDelete(std::string /*oldValue*/, CVarWrapper /*cvar*/) {
    const std::string name = namePreset ? *namePreset : std::string();
    deletePreset(pluginPresetIo(*this), name);
}
