// Preset jobs run by a worker pool, each in its worker's own folder: a preset created through the
// plug-in, the values a preset or a preset file's text sets, the user presets of a game folder.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "Core.h"
#include "Workers.h"

namespace flightlab {

// The preset folder of a game folder.
std::filesystem::path presetFolderOf(const std::filesystem::path& game);

// Saves VALUES as the user preset NAME through the plug-in's own creation; with COPY_TO, the
// file the plug-in wrote is copied there, replacing it whole. With ONLY_NEW a preset of that
// name is refused. Throws JobRefused with the plug-in's reason when it does not save it.
void createPreset(WorkerPool& pool, const std::string& name, const SliderValues& values,
                  const std::filesystem::path& copyTo = {}, bool onlyNew = false);

// The plug-in's reason in a failure of createPreset for NAME, without the lead that names
// the preset.
std::string refusalReason(const std::exception& e, const std::string& name);

// The slider values each preset (base index or user preset of the workers' folder) sets.
std::vector<SliderValues> presetSliders(WorkerPool& pool, const std::vector<std::string>& presets);

// The slider values the plug-in reads from a preset file's TEXT.
SliderValues readPresetText(WorkerPool& pool, const std::string& text);

// At most this many user presets are listed from a game folder.
inline constexpr std::size_t kMostUserPresets = 200;

// The user presets of the workers' game folder that its settings window lists and the lab can
// fly, sorted, at most MOST; a worker lists them there.
std::vector<std::string> userPresetNames(WorkerPool& pool, std::size_t most);

}  // namespace flightlab
