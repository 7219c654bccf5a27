// The same console sessions in the Linux host and in wingleaf-host.exe under Wine: equal output
// lines, equal exit status and byte-for-byte equal files left under the root.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <ostream>

#include "WineRunner.h"

namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;
using Tree = std::map<std::string, std::string>;

struct Session {
    const char* name;
    Lines lines;
    // Lines the output must hold, so that two equally broken runs cannot pass.
    Lines expected;
    // Lays out the root before the run, the same on both platforms.
    std::function<void(const fs::path&)> prepare;
    // Standard input; used only when the session has no lines.
    std::string input;
};

void PrintTo(const Session& s, std::ostream* os) { *os << s.name; }

struct PlatformRun {
    int exitCode = -1;
    Lines out;
    Lines err;
    Tree files;
};

Lines cOptions(const Lines& lines) {
    Lines args;
    for (const auto& line : lines) {
        args.push_back("-c");
        args.push_back(line);
    }
    return args;
}

PlatformRun runOn(bool windows, const Session& s) {
    const fs::path root =
        wltest::freshRoot(std::string("windows-") + s.name + (windows ? "-windows" : "-linux"));
    if (s.prepare) s.prepare(root);
    Lines argv;
    if (windows) {
        const auto& b = wltest::windowsBuild();
        argv = b.underWine(b.hostExe());
        argv.insert(argv.end(), {"--root", wltest::winePath(root), "--plugin", wltest::winePath(b.pluginDll())});
    } else {
        argv = {WL_HOST_EXE, "--root", root.string(), "--plugin", WL_PLUGIN_PATH};
    }
    const Lines args = cOptions(s.lines);
    argv.insert(argv.end(), args.begin(), args.end());
    const wltest::HostResult r = wltest::runProgram(argv, s.input);
    return PlatformRun{r.exitCode, wltest::consoleLines(r.out),
                       windows ? wltest::programErrorLines(r.err) : wltest::consoleLines(r.err),
                       wltest::treeContents(root)};
}

void expectSameTrees(const Tree& linux, const Tree& windows) {
    for (const auto& [path, content] : linux) {
        const auto it = windows.find(path);
        if (it == windows.end())
            ADD_FAILURE() << path << " left by the Linux run only";
        else
            EXPECT_EQ(it->second, content) << path << " differs";
    }
    for (const auto& entry : windows) {
        if (!linux.count(entry.first)) ADD_FAILURE() << entry.first << " left by the Windows run only";
    }
}

// The system's own reason for a failure differs between the families (Windows says "Access
// denied.", POSIX "Is a directory"); the lines around it must not.
Lines withoutSystemReasons(Lines lines) {
    for (auto& line : lines)
        for (const std::string reason : {": Access denied..", ": Is a directory."})
            if (const auto at = line.find(reason); at != std::string::npos)
                line.replace(at, reason.size(), ": <reason>.");
    return lines;
}

void expectContains(const Lines& out, const Lines& expected) {
    for (const auto& line : expected)
        EXPECT_TRUE(std::find(out.begin(), out.end(), line) != out.end()) << "missing line: " << line;
}

void lay(const fs::path& root, const std::string& rel, const std::string& content) {
    wltest::writeFile(root / rel, content);
}

const std::string kSettings = "bakkesmod/plugins/settings/wingleaf.set";
const std::string kTemp = "bakkesmod/plugins/settings/wingleaf.set.tmp";
const std::string kPresets = "bakkesmod/wingleaf";

const std::vector<Session>& sessions() {
    static const std::vector<Session> all = {
        {"load_unload",
         {"plugin list", "wl_speed", "wl_enabled", "wl_name_preset", "plugin unload wingleaf",
          "plugin list", "wl_speed", "plugin load wingleaf", "plugin list", "wl_speed 2"},
         {"wingleaf Wingleaf " WL_VERSION, "wl_speed = 1", "Debug5 statement"},
         nullptr,
         ""},
        {"freeplay_ticks",
         {"sim_mode freeplay", "wl_enabled 1", "wl_speed 1.5", "wl_air_density 1.2", "wl_lift 0.5",
          "wl_drag_x 0.3", "wl_pitch 0.2", "wl_throttle 2", "sim_input throttle 1",
          "sim_input boost 1", "sim_tick 240", "sim_state car 0", "sim_input pitch 1",
          "sim_input jump 1", "sim_tick 120", "sim_state car 0", "sim_state ball", "sim_hooks",
          "sim_event Function TAGame.GameEvent_Soccar_TA.Destroyed", "sim_mode training",
          "sim_tick 5", "sim_mode menu", "sim_hooks", "wl_enabled 0"},
         {"car0.max_linear_speed = 3450", "car0.boost_force = 178500"},
         nullptr,
         ""},
        {"presets",
         {"wl_preset 3", "wl_speed", "wl_name_preset Mine", "wl_create 1", "wl_create 0",
          "wl_speed 1.25", "wl_create 1", "wl_preset 0", "wl_preset Mine", "wl_speed",
          "wl_name_preset Glide", "wl_create 1", "wl_delete 1", "wl_name_preset Mine",
          "wl_delete 1", "wl_delete 0", "wl_name_preset \"Two Words\"", "wl_create 1",
          "wl_preset \"Two Words\"", "sim_settings", "writeconfig"},
         {"Created wingleaf directory.", "Preset Mine added to wingleaf.set!", "Wrote to Mine.txt",
          "Preset name already exists! Overwriting slider values!",
          "Moved tmp.set into wingleaf.set! Preset Mine removed!",
          "Preset not found. Check your preset name!", "Wrote to Two Words.txt"},
         nullptr,
         ""},
        {"developer",
         {"sim_mode freeplay", "setBallRBLocation 100 -200 300", "setBallRBLinearVelocity 1 2 3",
          "setBallRBAngularVelocity 0.5 0 -0.5", "setBallRBQuaternion 0.7071 0 0 0.7071",
          "setCarRBLocation 10 20 30", "setCarRBLinearVelocity 500 0 0",
          "setCarRBAngularVelocity 0 0 1", "setCarRBQuaternion 1 0 0 0", "slideRight 250",
          "setMass 200", "setOnGround 0", "getUseAckermannSteering", "setUseAckermannSteering 1",
          "getUseAckermannSteering", "getDriveTorque", "setDriveTorque 1234.5", "getDriveTorque",
          "getBrakeTorque", "setBrakeTorque 99", "getStopThreshold", "getIdleBrakeFactor",
          "getOppositeBrakeFactor", "getSuspensionStiffness", "getSuspensionTravel",
          "getSpinSpeed", "getSteer", "getSuspensionDistance", "getRefWheelLocation",
          "sim_tick 30", "sim_state car 0", "sim_state ball", "resetCar", "resetInputs",
          "macroSteer", "sim_draw --ops", "showHUD 0", "sim_draw --ops", "setMass"},
         {"drive torque set to: 1234.500000", "drive torque: 1234.500000", "FillBox 360, 350"},
         nullptr,
         ""},
        {"example_glider_flight",
         {"exec " WL_SOURCE_DIR "/examples/launch.cfg", "exec " WL_SOURCE_DIR "/examples/glider.cfg",
          "sim_input pitch 0.5", "sim_input roll -0.25",
          "sim_tick 90", "sim_state car 0", "sim_input pitch 0", "sim_tick 240",
          "sim_state car 0", "sim_state ball"},
         {"car0.max_linear_speed = 2300"},
         nullptr,
         ""},
        {"ground_driving",
         {"sim_mode freeplay", "wl_preset 2", "wl_enabled 1", "sim_input throttle 1",
          "sim_input steer 0.6", "sim_tick 240", "sim_state car 0", "sim_input handbrake 1",
          "sim_input steer -1", "sim_tick 120", "sim_state car 0", "sim_draw --ops"},
         {"car0.on_ground = 1"},
         nullptr,
         ""},
        {"script_and_stdin",
         {},
         {"wl_speed = 1.75", "Wrote to Piped.txt"},
         // exec reads relative to where the program starts: the test's working directory.
         [](const fs::path&) {
             lay(fs::current_path(), "script_and_stdin.txt",
                 "// a script with Windows line ends\r\nwl_speed 1.75\r\nwl_speed\r\nwl_name_preset Piped\r\n");
         },
         "exec script_and_stdin.txt\nwl_create 1\nwl_preset Piped\nquit\nwl_speed 3\n"},
        // Fault sessions: what the settings-file rewrite does when the disk does not cooperate.
        {"link_at_temp",
         {"wl_name_preset Mine", "wl_create 1", "sim_settings"},
         {"Wrote to tmp.set", "Preset Mine added to wingleaf.set!", "Wrote to Mine.txt",
          "    Mine@Mine"},
         [](const fs::path& root) {
             lay(root, kSettings, "Wingleaf\r\n6|Preset|wl_preset|A@0&B@1&Old@Old\r\n");
             fs::create_symlink("wingleaf.set", root / kTemp);
         },
         ""},
        {"directory_as_temp",
         {"wl_name_preset Mine", "wl_create 1", "wl_name_preset Old", "wl_delete 1"},
         {"Error creating ./bakkesmod/plugins/settings/wingleaf.set.tmp: Is a directory. "
          "wingleaf.set was not changed."},
         [](const fs::path& root) {
             lay(root, kSettings, "Wingleaf\r\n6|Preset|wl_preset|A@0&B@1&Old@Old\r\n");
             lay(root, kPresets + "/Old.txt", "1 2 3");
             fs::create_directories(root / kTemp / "inside");
         },
         ""},
        {"directory_as_preset_file",
         {"wl_name_preset Other", "wl_create 1", "wl_preset Other", "wl_delete 1"},
         // The values are written before the name is listed: a preset whose file cannot be
         // written is never listed, so there is nothing to delete.
         {"Error opening preset file. Close preset.txt if open in an editor.",
          "Preset not found. Check your preset name!"},
         [](const fs::path& root) { fs::create_directories(root / kPresets / "Other.txt"); },
         ""},
        {"directory_as_settings_file",
         {"wl_name_preset Mine", "wl_create 1", "wl_delete 1", "sim_settings"},
         {"Error reading wingleaf.set: Is a directory. wingleaf.set was not changed.",
          "Wrote to Mine.txt"},
         [](const fs::path& root) { lay(root, kSettings + "/keep", "k"); },
         ""},
    };
    return all;
}

class WindowsSession : public testing::TestWithParam<Session> {};

TEST_P(WindowsSession, MatchesTheLinuxRun) {
    WL_REQUIRE_WINDOWS_TOOLCHAIN();
    const Session& s = GetParam();
    const PlatformRun linux = runOn(false, s);
    const PlatformRun windows = runOn(true, s);
    EXPECT_EQ(windows.exitCode, linux.exitCode);
    EXPECT_EQ(withoutSystemReasons(windows.out), withoutSystemReasons(linux.out));
    EXPECT_EQ(windows.err, linux.err);
    expectSameTrees(linux.files, windows.files);
    EXPECT_FALSE(linux.out.empty());
    expectContains(linux.out, s.expected);
}

INSTANTIATE_TEST_SUITE_P(Scripts, WindowsSession, testing::ValuesIn(sessions()),
                         [](const testing::TestParamInfo<Session>& info) { return info.param.name; });

}  // namespace

namespace {

// Random range words draw from the C runtime's rand, whose sequence is the platform's own
// (msvcrt's differs from glibc's): the values differ between the runs, the ranges hold on both.
TEST(WindowsRandomWords, DrawFromTheRuntimeGeneratorWithinTheRanges) {
    WL_REQUIRE_WINDOWS_TOOLCHAIN();
    const Lines lines{"sim_mode freeplay", "setDriveTorque (100,200)", "setDriveTorque (100,200)",
                      "setDriveTorque (100,200)", "setBrakeTorque (0,1,5,6)",
                      "setBrakeTorque (0,1,5,6)", "setBrakeTorque (0,1,5,6)"};
    const auto r = wltest::runWindowsHost(wltest::freshRoot("windows-random-words"), lines);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Lines out = wltest::consoleLines(r.out);
    ASSERT_EQ(out.size(), 7u) << r.out;
    std::vector<float> drive, brake;
    for (const auto& line : out) {
        const auto colon = line.find(": ");
        if (colon == std::string::npos) continue;
        const float v = std::stof(line.substr(colon + 2));
        (line.starts_with("drive") ? drive : brake).push_back(v);
    }
    ASSERT_EQ(drive.size(), 3u);
    ASSERT_EQ(brake.size(), 3u);
    for (float v : drive) {
        EXPECT_GE(v, 100.0f);
        EXPECT_LE(v, 200.0f);
    }
    for (float v : brake) EXPECT_TRUE((v >= 0.0f && v <= 1.0f) || (v >= 5.0f && v <= 6.0f)) << v;
    EXPECT_FALSE(drive[0] == drive[1] && drive[1] == drive[2]);
}

}  // namespace
