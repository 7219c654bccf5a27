// Runs the cross-built wingleaf-host.exe under Wine, next to the Linux build, for the Windows tests.
#include "WineRunner.h"

#include <cstdlib>
#include <sstream>

namespace wltest {

namespace {

std::string findOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (dir.empty()) continue;
        const auto candidate = std::filesystem::path(dir) / name;
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec)) return candidate.string();
    }
    return "";
}

std::string envOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

// "i686" or "x86_64": which Windows build the test run checks (set per test by CTest).
std::string windowsArch() { return envOr("WL_WINDOWS_ARCH", "i686"); }

}  // namespace

std::string windowsToolchainMissing() {
    const std::string triplet = windowsArch() + "-w64-mingw32";
    std::string missing;
    for (const std::string& tool : {triplet + "-g++", triplet + "-objdump", std::string("wine")}) {
        if (findOnPath(tool).empty()) missing += (missing.empty() ? "" : ", ") + tool;
    }
    if (missing.empty()) return "";
    return missing + " not installed; 'scripts/bootstrap.sh --windows' installs them";
}

const WindowsBuild& windowsBuild() {
    static const WindowsBuild build = [] {
        WindowsBuild b;
        b.is64Bit = windowsArch() == "x86_64";
        const std::filesystem::path dir =
            envOr("WL_WINDOWS_BUILD_DIR", b.is64Bit ? WL_WINDOWS_X64_BUILD_DIR : WL_WINDOWS_I686_BUILD_DIR);
        b.preset = b.is64Bit ? "windows-x64" : "windows-i686";
        b.binDir = dir / "bin";
        b.prefix = dir / "wineprefix";
        b.wineTmp = dir / "wine-tmp";
        std::error_code ec;
        std::filesystem::create_directories(b.wineTmp, ec);
        b.wine = findOnPath("wine");
        b.objdump = findOnPath(windowsArch() + "-w64-mingw32-objdump");
        // Every Wine process of the test run shares this prefix and its server.
        ::setenv("WINEPREFIX", b.prefix.c_str(), 1);
        ::setenv("WINEDEBUG", "-all", 1);
        ::setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
        return b;
    }();
    return build;
}

std::string winePath(const std::filesystem::path& path) {
    std::string p = std::filesystem::absolute(path).lexically_normal().string();
    for (char& c : p) {
        if (c == '/') c = '\\';
    }
    return "Z:" + p;
}

HostResult runWindowsHost(const std::filesystem::path& root, const std::vector<std::string>& lines,
                          const std::vector<std::string>& extraArgs) {
    const WindowsBuild& b = windowsBuild();
    std::vector<std::string> argv = b.underWine(b.hostExe());
    argv.insert(argv.end(), {"--root", winePath(root), "--plugin", winePath(b.pluginDll())});
    argv.insert(argv.end(), extraArgs.begin(), extraArgs.end());
    for (const auto& line : lines) {
        argv.push_back("-c");
        argv.push_back(line);
    }
    return runProgram(argv);
}

std::vector<std::string> consoleLines(const std::string& out) {
    std::vector<std::string> result;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        result.push_back(line);
    }
    return result;
}

std::vector<std::string> programErrorLines(const std::string& err) {
    std::vector<std::string> lines;
    for (auto& line : consoleLines(err)) {
        // "0044:err:winediag:...": Wine's own processes reporting on the display-less desktop.
        const auto colon = line.find(':');
        const bool wineChannel =
            colon != std::string::npos && colon > 0 && colon <= 4 &&
            line.find_first_not_of("0123456789abcdef") == colon &&
            (line.compare(colon, 5, ":err:") == 0 || line.compare(colon, 7, ":fixme:") == 0 ||
             line.compare(colon, 6, ":warn:") == 0);
        if (!wineChannel) lines.push_back(std::move(line));
    }
    return lines;
}

std::map<std::string, std::string> treeContents(const std::filesystem::path& root) {
    std::map<std::string, std::string> tree;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        const std::string rel = it->path().lexically_relative(root).generic_string();
        // A link (to /dev/full, say) is compared by its target, never read through.
        if (it->is_symlink())
            tree[rel] = "<link " + std::filesystem::read_symlink(it->path(), ec).string() + ">";
        else if (it->is_directory())
            tree[rel] = "<dir>";
        else
            tree[rel] = readFile(it->path());
    }
    return tree;
}

}  // namespace wltest
