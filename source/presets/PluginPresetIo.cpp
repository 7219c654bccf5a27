// The plug-in object's console and slider cells seen by the preset handlers.
#include "presets/PluginPresetIo.h"

#include <array>
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

SliderValues currentSliders(const wingleaf& plugin) {
    // The plug-in's cells in slider order (speed first, throttle last).
    static constexpr std::array<std::shared_ptr<float> wingleaf::*, kSliderCount> kCells{
        &wingleaf::speed, &wingleaf::boost, &wingleaf::airDensity, &wingleaf::length,
        &wingleaf::width, &wingleaf::height, &wingleaf::dragX,      &wingleaf::dragY,
        &wingleaf::dragZ, &wingleaf::pitch, &wingleaf::roll,        &wingleaf::yaw,
        &wingleaf::lift,  &wingleaf::throttle};
    SliderValues values = kBasePresets[0];
    for (std::size_t i = 0; i < kSliderCount; ++i)
        if (const auto& cell = plugin.*kCells[i]) values[i] = *cell;
    return values;
}
