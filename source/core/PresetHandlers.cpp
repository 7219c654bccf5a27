// The change handlers of wl_create, wl_delete and wl_preset, and what they take from the plug-in
// object: its console.
#include "core/PresetHandlers.h"

#include <memory>

PresetIo pluginPresetIo(wingleaf& plugin) {
    std::shared_ptr<CVarManagerWrapper> console = plugin.cvarManager;
    PresetIo io;
    io.log = [console](const std::string& line) {
        if (console) console->log(line);
    };
    io.execute = [console](const std::string& command) {
        if (console) console->executeCommand(command, false);
    };
    return io;
}

// Change handler of wl_create: stores the current sliders as a user preset.
void wingleaf::onPresetCreate(std::string /*oldValue*/, CVarWrapper cvar) {
    if (!cvar.getBoolValue()) return;
    const std::string name = namePreset ? *namePreset : std::string();
    createPreset(pluginPresetIo(*this), name, sliderValues());
}

// Change handler of wl_delete: removes the user preset named in wl_name_preset, on every change.
void wingleaf::onPresetDelete(std::string /*oldValue*/, CVarWrapper /*cvar*/) {
    const std::string name = namePreset ? *namePreset : std::string();
    deletePreset(pluginPresetIo(*this), name);
}

// Change handler of wl_preset: applies a base preset by index or a user preset by name.
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
    SliderValues values = sliderValues();
    const auto count = readPresetFile(PresetPaths{}, value, values);
    if (!count || *count == 0) return;
    preset->values = values;
    preset->apply();
}
