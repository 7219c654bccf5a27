// The saved variables file (bakkesmod/cfg/config.cfg): restoring and writing it.
#include "console/ConfigFile.h"

#include <system_error>

#include "common/AtomicFile.h"
#include "console/ConfigFormat.h"
#include "console/Console.h"
#include "console/LineReader.h"

namespace host {

bool restoreConfig(Console& console, const std::filesystem::path& file, std::string& error) {
    std::error_code ec;
    const bool present = std::filesystem::exists(file, ec);
    if (ec) {
        error = "cannot read " + file.string() + ": " + ec.message();
        return false;
    }
    if (!present) return true;
    LineReader reader;
    if (!reader.open(file, error)) {
        error = "cannot read " + file.string() + ": " + error;
        return false;
    }
    return readConfig(
        reader, file.string(),
        [&console](const std::string& name, const std::string& value) { console.restoreSaved(name, value); },
        error);
}

bool writeConfig(Console& console, const std::filesystem::path& file, std::string& error) {
    std::error_code ec;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);
    std::string content;
    for (const auto& [name, value] : console.savedValues()) {
        if (fitsConfigLine(name, value)) {
            content += configLine(name, value);
        } else {
            console.err("writeconfig: " + name +
                        " not saved: a line break or a double quote cannot be stored in " +
                        file.filename().string());
        }
    }
    return replaceFile(file, content, error);
}

}  // namespace host
