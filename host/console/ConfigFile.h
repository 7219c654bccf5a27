// The saved variables file (bakkesmod/cfg/config.cfg): restoring and writing it.
#pragma once
#include <filesystem>
#include <string>

namespace host {

class Console;

// Restores every `NAME "VALUE"` line of the file as a saved value (cells written, no change
// handler run; values of variables not registered yet wait for their registration). A missing
// file restores nothing. False, with ERROR set, when the file exists but cannot be read
// completely (a read error, a line over 1 MiB): then only the lines before have been restored.
bool restoreConfig(Console& console, const std::filesystem::path& file, std::string& error);

// Writes the saved values, one `NAME "VALUE"` line each, sorted by name. A value the format
// cannot hold (a line break, a double quote) is left out with a warning naming it. The file
// is replaced atomically (see replaceFile). False, with ERROR set, when it cannot be written
// (the old file is then left as it was).
bool writeConfig(Console& console, const std::filesystem::path& file, std::string& error);

}  // namespace host
