// The plug-in object's console and slider cells seen by the preset handlers.
#include "presets/PluginPresetIo.h"

#include <array>
#include <memory>

#include "core/Settings.h"

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

namespace {

// The plug-in's cell of each slider, in slider order, found by variable name in the settings table.
constexpr std::array<FloatCell, kSliderCount> sliderCells() {
    std::array<FloatCell, kSliderCount> cells{};
    for (std::size_t i = 0; i < kSliderCount; ++i)
        cells[i] = findSetting(kSliderFields[i].variable)->floatCell;
    return cells;
}

constexpr std::array<FloatCell, kSliderCount> kSliderCells = sliderCells();

}  // namespace

SliderValues currentSliders(const wingleaf& plugin) {
    SliderValues values = kBasePresets[0];
    for (std::size_t i = 0; i < kSliderCount; ++i)
        if (const auto& cell = plugin.*kSliderCells[i]) values[i] = *cell;
    return values;
}
