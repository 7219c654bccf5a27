// The presets of wingleaf-host.exe under Wine against sessions ended by TerminateProcess at any
// instant, and two sessions changing one game folder at once (LockFileEx between them).
#include <gtest/gtest.h>

#include <iostream>
#include <thread>

#include "WineRunner.h"
#include "wltest/FaultLayout.h"
#include "wltest/PresetChecks.h"
#include "wltest/PresetExpectations.h"

namespace fs = std::filesystem;
using namespace wltest::presets;

namespace {

using Lines = std::vector<std::string>;

TEST(WindowsPresetCrash, NoTerminationLeavesAListedPresetWithoutItsValues) {
    WL_REQUIRE_WINDOWS_TOOLCHAIN();
    constexpr int kKills = 50;
    const auto& build = wltest::windowsBuild();
    ASSERT_TRUE(fs::exists(build.killLoopExe())) << "scripts/windows-prepare.sh builds it";
    const fs::path root = wltest::freshRoot("windows-crash") / "game";
    ASSERT_EQ(wltest::runWindowsHost(root, {}).exitCode, 0);  // installs the settings file
    wltest::writeFile(root.parent_path() / "loop.cfg", crashLoopScript(5000));

    // Kills land in the first second of loading or up to 300 ms into the changes: a change takes
    // tens of milliseconds under Wine.
    std::vector<std::string> argv = build.underWine(build.killLoopExe());
    argv.insert(argv.end(), {wltest::winePath(build.hostExe()), wltest::winePath(build.pluginDll()),
                             wltest::winePath(root), wltest::winePath(root.parent_path() / "loop.cfg"),
                             std::to_string(kKills), "20251207", "1000", "300"});
    const auto run = wltest::runProgram(argv);
    const Lines out = wltest::consoleLines(run.out);
    ASSERT_FALSE(out.empty()) << run.err;
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(out.back().rfind("kills " + std::to_string(kKills) + " checked ", 0), 0u) << run.out;
    std::cout << "[          ] " << out.back() << "\n";

    const auto last =
        wltest::runWindowsHost(root, {"sim_settings", "wl_name_preset P1", "wl_create 1"});
    EXPECT_EQ(last.exitCode, 0);
    EXPECT_EQ(unexpectedErrorLines(last.err), Lines{});
    EXPECT_EQ(faultLines(last.out), Lines{});
    EXPECT_EQ(settingsWindows(last.out), Lines{"wingleaf.set"});
    EXPECT_FALSE(fs::exists(fs::symlink_status(root / wltest::faults::kTmp)));
    EXPECT_FALSE(fs::exists(fs::symlink_status(root / wltest::faults::kPresetTmp)));
    fs::remove_all(root.parent_path());
}

TEST(WindowsPresetConcurrency, TwoSessionsCreatingAndDeletingLoseNothing) {
    WL_REQUIRE_WINDOWS_TOOLCHAIN();
    constexpr int kCreates = 300;
    const fs::path root = wltest::freshRoot("windows-concurrent") / "game";
    ASSERT_EQ(wltest::runWindowsHost(root, {}).exitCode, 0);
    const std::string installed = wltest::readFile(root / wltest::faults::kSet);
    std::vector<wltest::HostResult> results(2);
    std::vector<std::thread> sessions;
    for (int s = 1; s <= 2; ++s) {
        const fs::path script = root.parent_path() / ("s" + std::to_string(s) + ".cfg");
        wltest::writeFile(script, concurrentScript(s, kCreates));
        sessions.emplace_back([&results, &root, script, s] {
            results[s - 1] = wltest::runWindowsHost(root, {}, {wltest::winePath(script)});
        });
    }
    for (std::thread& session : sessions) session.join();
    for (const auto& result : results) EXPECT_EQ(result.exitCode, 0) << result.err;

    expectConcurrentSessionsHeld(
        checkConcurrentSessions(root, installed, {results[0].out, results[1].out}, kCreates),
        kCreates);
    fs::remove_all(root.parent_path());
}

}  // namespace
