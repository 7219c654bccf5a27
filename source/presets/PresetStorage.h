// Where presets live on disk, which names are safe in a path and an option list, and the
// preset-file text.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "presets/Preset.h"

// Paths relative to the game's working directory.
inline constexpr const char* kPresetDirectory = "./bakkesmod/wingleaf";
inline constexpr const char* kSettingsPath = "./bakkesmod/plugins/settings/wingleaf.set";
// The settings file's copy while it is written; not ending in ".set", so that a host listing its
// settings windows never takes it for one.
inline constexpr const char* kTempSettingsPath = "./bakkesmod/plugins/settings/wingleaf.set.tmp";
// The name older versions wrote that copy under; one a crash left is removed at load.
inline constexpr const char* kOldTempSettingsPath = "./bakkesmod/plugins/settings/tmp.set";
// Where a preset file is written before it replaces the old one; never the file of a preset,
// whose names end in ".txt".
inline constexpr const char* kTempPresetPath = "./bakkesmod/wingleaf/preset.tmp";

// The longest name a preset may have, in bytes.
inline constexpr std::size_t kMaxPresetNameBytes = 100;

// "<directory>/" + name + ".txt"
std::string presetFilePath(std::string_view directory, std::string_view name);

// A name is safe when it is not empty, at most kMaxPresetNameBytes long, holds no control
// character, no "..", none of / \ : & @ | (path separators, drive prefixes and streams,
// option-list separators) nor < > " ? * (which Windows cannot hold in a file name, so that a
// preset made elsewhere survives a copy there) and is not a Windows device name such as CON or
// COM1 or COM¹ (which would open a device instead of a file).
bool isSafePresetName(std::string_view name);

// True when the host's variable or the selection would read `name` as a number: the whole name,
// blanks around it aside, is a decimal or hexadecimal number, an infinity or a NaN in any case,
// with an optional sign ("3", "007", "+1", "2.5", "1e999", "-inf", "nan", "0x1p3").
bool readsAsNumber(std::string_view name);

// A name a new preset may take: safe, and not a number, which selection could never pick.
// Presets listed before under such a name can still be read and deleted.
bool isNewPresetName(std::string_view name);

// The preset file: each value in slider order with three decimals followed by one blank, no line
// end.
std::string formatPresetFile(const SliderValues& values);

// Reads numbers as stream extraction of floats does, skipping any white space, and stops at the
// end, at the first text that is not a finite float, or after the fourteenth number. The numbers
// read go to the sliders in slider order from the first; the rest of `values` is left as it was.
// Returns how many were read.
std::size_t parsePresetFile(std::string_view content, SliderValues& values);

// True when a selection value is a base-preset index: an optional sign and decimal digits only.
bool isPresetIndex(std::string_view value);
