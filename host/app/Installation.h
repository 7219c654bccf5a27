// The plug-in's installation content, embedded in the program, and laying it out in a root.
#pragma once
#include <filesystem>
#include <string_view>
#include <vector>

namespace host {

class Console;

struct EmbeddedFile {
    const char* path;  // relative to the root, e.g. "bakkesmod/plugins/settings/wingleaf.set"
    std::string_view content;
};

// Generated at build time from install/settings/.
const std::vector<EmbeddedFile>& embeddedFiles();

// Creates the installation's directories and writes every embedded file that does not exist
// under ROOT; an existing file is never touched. Failures are diagnostics; false if any.
bool layOutInstallation(const std::filesystem::path& root, Console& console);

}  // namespace host
