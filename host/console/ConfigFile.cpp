// The saved variables file (bakkesmod/cfg/config.cfg): restoring and writing it.
#include "console/ConfigFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

#include "console/Console.h"
#include "console/LineSplitter.h"

namespace host {

bool restoreConfig(Console& console, const std::filesystem::path& file, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return true;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = "cannot read " + file.string() + ": " + std::strerror(errno);
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        for (const auto& words : splitLine(line))
            if (words.size() >= 2) console.restoreSaved(words[0], words[1]);
    }
    return true;
}

bool writeConfig(Console& console, const std::filesystem::path& file, std::string& error) {
    std::error_code ec;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);
    std::filesystem::path temp = file;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "cannot write " + temp.string() + ": " + std::strerror(errno);
            return false;
        }
        for (const auto& [name, value] : console.savedValues()) out << name << " \"" << value << "\"\n";
        out.flush();
        if (!out) {
            error = "cannot write " + temp.string() + ": " + std::strerror(errno);
            out.close();
            std::filesystem::remove(temp, ec);
            return false;
        }
    }
    std::filesystem::rename(temp, file, ec);
    if (ec) {
        error = "cannot replace " + file.string() + ": " + ec.message();
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

}  // namespace host
