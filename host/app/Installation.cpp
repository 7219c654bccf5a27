// Laying out the plug-in's installation content in the game's root.
#include "app/Installation.h"

#include <string>
#include <system_error>

#include "common/AtomicFile.h"
#include "console/Console.h"

namespace host {

bool layOutInstallation(const std::filesystem::path& root, Console& console) {
    bool ok = true;
    std::error_code ec;
    for (const char* dir : {"bakkesmod/plugins/settings", "bakkesmod/cfg"}) {
        std::filesystem::create_directories(root / dir, ec);
        if (ec) {
            console.err("installation: cannot create " + (root / dir).string() + ": " + ec.message());
            ok = false;
        }
    }
    for (const EmbeddedFile& file : embeddedFiles()) {
        const std::filesystem::path path = root / file.path;
        if (std::filesystem::exists(std::filesystem::symlink_status(path, ec))) continue;
        std::filesystem::create_directories(path.parent_path(), ec);
        std::string error;
        if (!replaceFile(path, std::string(file.content), error)) {
            console.err("installation: " + error);
            ok = false;
        }
    }
    return ok;
}

}  // namespace host
