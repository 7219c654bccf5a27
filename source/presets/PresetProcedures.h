// Creating, deleting and reading user presets on disk, reporting each step as a console line.
#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "presets/Preset.h"
#include "presets/PresetStorage.h"

struct PresetPaths {
    std::string directory = kPresetDirectory;
    std::string settings = kSettingsPath;
    std::string temp = kTempSettingsPath;
    std::string presetTemp = kTempPresetPath;
};

// Where the procedures work and how they talk to the console: `log` writes one line,
// `execute` runs one console command.
struct PresetIo {
    PresetPaths paths;
    std::function<void(const std::string&)> log;
    std::function<void(const std::string&)> execute;
};

// Stores `snapshot` as the preset `name` and lists it in the settings file. The settings file is
// replaced in one step, and only by a completely written copy.
void createPreset(const PresetIo& io, std::string_view name, const SliderValues& snapshot);

// Removes the preset `name` from the settings file, then its preset file; the preset file stays
// while the settings file may still list it.
void deletePreset(const PresetIo& io, std::string_view name);

// Reads the preset file of `name` into `values` (fields it does not supply keep their value),
// looking only at the first few KiB of a regular file. Empty when the name is unsafe or the file
// cannot be read; otherwise how many numbers it gave.
std::optional<std::size_t> readPresetFile(const PresetPaths& paths, std::string_view name,
                                          SliderValues& values);
