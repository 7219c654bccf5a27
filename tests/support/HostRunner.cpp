// Runs the wingleaf-host program the way a person would, for integration tests.
#include "wltest/HostRunner.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace wltest {

std::filesystem::path freshRoot(const std::string& name) {
    const char* tmp = std::getenv("TMPDIR");
    std::filesystem::path base = tmp ? tmp : "/tmp";
    base /= "wingleaf-tests-" + std::to_string(::getpid());
    const auto dir = base / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

HostResult runProgram(const std::vector<std::string>& argv, const std::string& input) {
    return wlproc::runProcess(argv, {input, std::chrono::minutes(5)});
}

HostResult runHost(const std::filesystem::path& root, const std::vector<std::string>& lines,
                   const std::vector<std::string>& extraArgs, bool loadPlugin) {
    std::vector<std::string> argv{WL_HOST_EXE, "--root", root.string()};
    if (loadPlugin) {
        argv.push_back("--plugin");
        argv.push_back(WL_PLUGIN_PATH);
    }
    argv.insert(argv.end(), extraArgs.begin(), extraArgs.end());
    for (const auto& line : lines) {
        argv.push_back("-c");
        argv.push_back(line);
    }
    return runProgram(argv);
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "";
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::filesystem::path& path, const std::string& content) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

}  // namespace wltest
