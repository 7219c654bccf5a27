// Creating, deleting and reading user presets on disk, reporting each step as a console line.
#pragma once
#include <chrono>
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
    std::string oldTemp = kOldTempSettingsPath;
    std::string presetTemp = kTempPresetPath;
};

// Where the procedures work and how they talk to the console: `log` writes one line,
// `execute` runs one console command.
struct PresetIo {
    PresetPaths paths;
    // How long a change waits for another program's change to release the presets' lock.
    std::chrono::milliseconds lockWait{3000};
    std::function<void(const std::string&)> log;
    std::function<void(const std::string&)> execute;
};

// Stores `snapshot` as the preset `name`, then lists it in the settings file: a listed preset
// always has its complete file. Each file is replaced in one step, and only by a completely
// written copy. A new preset file goes again when the settings file cannot be changed.
void createPreset(const PresetIo& io, std::string_view name, const SliderValues& snapshot);

// Removes the preset `name` from the settings file, then its preset file; the preset file stays
// while the settings file may still list it.
void deletePreset(const PresetIo& io, std::string_view name);

// Both run under the exclusive lock of presetLockPath, so that two programs on one game folder
// (the game and the flight lab, say) change the files one after the other.
std::string presetLockPath(std::string_view directory);

// Removes the temporary files a crash left (an older version's tmp.set would show as a settings
// window of its own), unless another program's change holds the lock and they are its own. Logs
// only a failure.
void removeLeftovers(const PresetIo& io);

// Reads the preset file of `name` into `values` (fields it does not supply keep their value),
// looking only at the first few KiB of a regular file. Empty when the name is unsafe or the file
// cannot be read; otherwise how many numbers it gave.
std::optional<std::size_t> readPresetFile(const PresetPaths& paths, std::string_view name,
                                          SliderValues& values);
