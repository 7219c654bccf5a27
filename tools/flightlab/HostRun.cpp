// Runs wingleaf-host on a console script in a fresh game folder.
#include "HostRun.h"

#include <fstream>
#include <stdexcept>

namespace flightlab {

namespace fs = std::filesystem;

HostOutput runScript(const HostProgram& program, const fs::path& root, const std::string& script,
                     const std::vector<fs::path>& presetFiles) {
    fs::remove_all(root);
    fs::create_directories(root / "bakkesmod" / "wingleaf");
    for (const auto& file : presetFiles)
        fs::copy_file(file, root / "bakkesmod" / "wingleaf" / file.filename());
    const fs::path scriptPath = fs::absolute(root.string() + ".script");
    {
        std::ofstream s(scriptPath, std::ios::binary | std::ios::trunc);
        s << script;
        if (!s.flush()) throw std::runtime_error("cannot write " + scriptPath.string());
    }
    return wlproc::runProcess({program.host.string(), "--root", fs::absolute(root).string(),
                               "--plugin", program.plugin.string(), scriptPath.string()});
}

}  // namespace flightlab
