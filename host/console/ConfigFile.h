// The saved variables file (bakkesmod/cfg/config.cfg): restoring and writing it.
#pragma once
#include <filesystem>
#include <string>

namespace host {

class Console;

// Restores every `NAME "VALUE"` line of the file as a saved value (cells written, no change
// handler run; values of variables not registered yet wait for their registration). A missing
// file restores nothing. False, with ERROR set, when the file exists but cannot be read.
bool restoreConfig(Console& console, const std::filesystem::path& file, std::string& error);

// Writes the saved values, one `NAME "VALUE"` line each, sorted by name. The file is replaced
// atomically: a temporary file next to it is completed, then renamed over it. False, with
// ERROR set, when it cannot be written (the old file is then left as it was).
bool writeConfig(Console& console, const std::filesystem::path& file, std::string& error);

}  // namespace host
