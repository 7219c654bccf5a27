// Laying out the plug-in's installation content in the game's root.
#include "app/Installation.h"

#include <fstream>
#include <system_error>

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
        std::filesystem::path temp = path;
        temp += ".part";
        {
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            out.write(file.content.data(), static_cast<std::streamsize>(file.content.size()));
            out.flush();
            if (!out) {
                console.err("installation: cannot write " + path.string());
                ok = false;
                continue;
            }
        }
        std::filesystem::rename(temp, path, ec);
        if (ec) {
            console.err("installation: cannot write " + path.string() + ": " + ec.message());
            std::filesystem::remove(temp, ec);
            ok = false;
        }
    }
    return ok;
}

}  // namespace host
