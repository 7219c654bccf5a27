// Runs the cross-built wingleaf-host.exe under Wine, next to the Linux build, for the Windows tests.
#pragma once
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "wltest/HostRunner.h"

// Skips the test when the toolchain is absent; fails it when the Windows build is missing.
#define WL_REQUIRE_WINDOWS_TOOLCHAIN()                                                             \
    do {                                                                                           \
        const std::string missing = wltest::windowsToolchainMissing();                             \
        if (!missing.empty()) GTEST_SKIP() << "Windows build not tested: " << missing;             \
        ASSERT_TRUE(std::filesystem::exists(wltest::windowsBuild().hostExe()))                     \
            << "scripts/windows-prepare.sh " << wltest::windowsBuild().preset << " builds it";     \
    } while (0)

namespace wltest {

// Where the Windows build under test and its Wine prefix are, and the tools that read and run
// it. CTest runs the tests once per build: WL_WINDOWS_ARCH (i686 or x86_64) names it, and
// WL_WINDOWS_BUILD_DIR, when set, stands for the folder the build configured for that arch.
struct WindowsBuild {
    bool is64Bit = false;
    std::string preset;            // windows-i686 or windows-x64
    std::filesystem::path binDir;  // wingleaf-host.exe, bakkesmod.dll, wingleaf.dll, runtime DLLs
    std::filesystem::path prefix;  // WINEPREFIX made by scripts/windows-prepare.sh
    std::string wine;
    std::string objdump;
    // Wine keeps its server's socket in a folder under TMPDIR and never removes it: the Wine
    // processes get a TMPDIR beside the prefix (as scripts/windows-prepare.sh gives wineboot),
    // so that a test run leaves its own temporary folder as it found it.
    std::filesystem::path wineTmp;

    // The command that runs EXE under Wine with this build's prefix; its arguments follow.
    std::vector<std::string> underWine(const std::filesystem::path& exe) const {
        return {"/usr/bin/env", "TMPDIR=" + wineTmp.string(), wine, exe.string()};
    }

    std::filesystem::path hostExe() const { return binDir / "wingleaf-host.exe"; }
    std::filesystem::path pluginDll() const { return binDir / "wingleaf.dll"; }
    std::filesystem::path hostDll() const { return binDir / "bakkesmod.dll"; }
    std::filesystem::path holdFileExe() const { return binDir / "hold-file.exe"; }
    std::filesystem::path killLoopExe() const { return binDir / "kill-loop.exe"; }
};

// A program running beside the test (a file holder, say), read line by line.
using BackgroundProgram = wlproc::RunningProcess;

// Empty when the mingw-w64 toolchain or Wine is installed; otherwise why the tests skip.
std::string windowsToolchainMissing();

const WindowsBuild& windowsBuild();

// The Windows spelling of a Linux path through Wine's Z: drive.
std::string winePath(const std::filesystem::path& path);

// wingleaf-host.exe --root ROOT --plugin <wingleaf.dll> ARGS... -c LINE..., under Wine.
HostResult runWindowsHost(const std::filesystem::path& root, const std::vector<std::string>& lines,
                          const std::vector<std::string>& extraArgs = {});

// Output lines of a Windows console program with the CR of its CR LF line ends taken off.
std::vector<std::string> consoleLines(const std::string& out);

// Standard error of a program run under Wine as lines, without the diagnostics of Wine's
// own processes (which appear when a fresh server starts its services).
std::vector<std::string> programErrorLines(const std::string& err);

// Every file, directory and link under root: relative path (with "/") to content ("<dir>",
// "<link TARGET>"), so two trees compare byte for byte with one ==.
std::map<std::string, std::string> treeContents(const std::filesystem::path& root);

}  // namespace wltest
