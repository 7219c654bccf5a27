// The wingleaf-host program driven as a person would: options, exit codes, plug-ins,
// saved variables across sessions, installation and settings windows.
#include <gtest/gtest.h>

#include <filesystem>

#include "wltest/HostRunner.h"

namespace {

using wltest::runHost;
using Lines = std::vector<std::string>;

const std::vector<std::string> kTestPlugin{"--plugin", WL_TEST_PLUGIN};

wltest::HostResult runTest(const std::filesystem::path& root, const Lines& lines) {
    return runHost(root, lines, kTestPlugin, false);
}

TEST(HostProgram, ExitStatusReflectsBadArgumentsUnknownNamesAndFailures) {
    const auto root = wltest::freshRoot("exit-status");
    const struct {
        std::vector<std::string> args;
        int exitCode;
    } cases[] = {
        {{"-c", "help"}, 0},
        {{"-c", "nosuch"}, 1},
        {{"-c", "plugin load nosuch"}, 1},
        {{"-c", "plugin frobnicate"}, 1},
        {{"-c", "exec missing.txt"}, 1},
        {{"--bogus"}, 2},
        {{"--canvas", "0x5"}, 2},
        {{"--canvas", "800"}, 2},
        {{"-c"}, 2},
        {{"--help"}, 0},
    };
    for (const auto& c : cases) {
        std::vector<std::string> argv{WL_HOST_EXE, "--root", root.string()};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const auto r = wltest::runProgram(argv);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args[0] << " " << r.err;
        if (c.exitCode == 2) {
            EXPECT_NE(r.err.find("usage: wingleaf-host [--root DIR]"), std::string::npos) << r.err;
            EXPECT_EQ(r.out, "");
        }
    }
}

TEST(HostProgram, LinesRunInOrderAndFailuresDoNotStopTheOthers) {
    const auto root = wltest::freshRoot("order");
    wltest::writeFile(root / "script.txt", "tp_speed\r\n// comment\n\ntp_echo from script\nquit\ntp_speed\n");
    std::vector<std::string> args = kTestPlugin;
    args.push_back((root / "script.txt").string());
    const auto r = runHost(root, {"tp_echo a \"b c\"; nosuch", "tp_speed 99", "tp_text \"two words\"", "tp_text"},
                           args, false);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.lines(), (Lines{"[tp_echo][a][b c]",
                                "tp_speed changed from 1 to 10 (cell 10.000000)",
                                "tp_text = two words",
                                "tp_speed = 10",
                                "[tp_echo][from][script]",
                                "tp unloaded",
                                "tp destroyed"}));
    EXPECT_EQ(r.err, "unknown command or variable: nosuch\n");
}

TEST(HostProgram, StandardInputIsReadWhenNoLinesAreGiven) {
    const auto root = wltest::freshRoot("stdin");
    const auto r = wltest::runProgram({WL_HOST_EXE, "--root", root.string(), "--plugin", WL_TEST_PLUGIN},
                                      "tp_unsaved 3\ntp_unsaved\nquit\ntp_unsaved 4\n");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.lines(), (Lines{"tp_unsaved = 3", "tp unloaded", "tp destroyed"}));
}

TEST(HostProgram, PluginListUnloadAndReload) {
    const auto root = wltest::freshRoot("plugins");
    const auto r = runTest(root, {"plugin list", "tp_wide", "plugin unload TestPlugin", "plugin list",
                                  "tp_speed", "tp_echo", "plugin load " + std::string(WL_TEST_PLUGIN),
                                  "tp_speed", "plugin load " + std::string(WL_TEST_PLUGIN)});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.lines(), (Lines{"TestPlugin Test Plugin 0.1",
                                "caf\xC3\xA9 \xE2\x9C\x88",
                                "tp unloaded",
                                "tp destroyed",
                                // unload kept the saved value, the new instance gets it back
                                "tp_speed = 1",
                                "tp unloaded",
                                "tp destroyed"}));
    EXPECT_EQ(r.err, "unknown command or variable: tp_speed\n"
                     "unknown command or variable: tp_echo\n"
                     "plugin load: TestPlugin is already loaded\n");
}

TEST(HostProgram, ThrowingPluginCommandIsReportedAndTheSessionGoesOn) {
    const auto root = wltest::freshRoot("throw");
    const auto r = runTest(root, {"tp_throw", "tp_unsaved"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "command tp_throw threw: boom\n");
    EXPECT_EQ(r.lines(), (Lines{"tp_unsaved = 2", "tp unloaded", "tp destroyed"}));
}

TEST(HostProgram, SavedVariablesSurviveARestartWithoutRunningHandlers) {
    const auto root = wltest::freshRoot("saved");
    auto r = runTest(root, {"tp_speed 4.5", "tp_unsaved 7", "tp_text kept?"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(wltest::readFile(root / "bakkesmod/cfg/config.cfg"), "tp_speed \"4.5\"\n");

    r = runTest(root, {"tp_speed", "tp_unsaved", "tp_text"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.lines(), (Lines{"tp_speed = 4.5", "tp_unsaved = 2", "tp_text = [none]", "tp unloaded",
                                "tp destroyed"}));

    // A session without the plug-in keeps its saved value in the file.
    r = runHost(root, {"writeconfig"}, {}, false);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(wltest::readFile(root / "bakkesmod/cfg/config.cfg"), "tp_speed \"4.5\"\n");
}

TEST(HostProgram, InstallationIsLaidOutOnceAndNeverOverwritten) {
    const auto root = wltest::freshRoot("install");
    const auto set = root / "bakkesmod/plugins/settings/wingleaf.set";
    auto r = runHost(root, {}, {}, false);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(wltest::readFile(set), wltest::readFile(std::filesystem::path(WL_SOURCE_DIR) /
                                                      "install/settings/wingleaf.set"));
    wltest::writeFile(set, "Edited\n1|Mine|tp_speed\n");
    r = runHost(root, {"sim_settings"}, {}, false);
    EXPECT_EQ(r.lines(), (Lines{"window wingleaf.set: Edited", "  checkbox \"Mine\" tp_speed"}));
    EXPECT_EQ(wltest::readFile(set), "Edited\n1|Mine|tp_speed\n");
}

TEST(HostProgram, SettingsWindowsFollowRefreshAndSurviveBrokenFiles) {
    const auto root = wltest::freshRoot("settings");
    const auto dir = root / "bakkesmod/plugins/settings";
    wltest::writeFile(dir / "wingleaf.set", "W\n6|Preset|wl_preset|A@0&B@1\n");
    wltest::writeFile(dir / "zz.set", "Z\nbroken\n8\n");
    const auto r = runHost(root, {"sim_settings", "cl_settings_refreshplugins"}, {}, false);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.lines(), (Lines{"window wingleaf.set: W", "  dropdown \"Preset\" wl_preset", "    A@0",
                                "    B@1", "window zz.set: Z", "  separator"}));
    // Read at start and again on refresh: the broken line is reported each time and skipped.
    EXPECT_EQ(r.err, "cl_settings_refreshplugins: zz.set: line 2: unknown control code 'broken'\n"
                     "cl_settings_refreshplugins: zz.set: line 2: unknown control code 'broken'\n");

    wltest::writeFile(dir / "wingleaf.set", "W\n6|Preset|wl_preset|A@0&Mine@Mine\n");
    std::filesystem::remove(dir / "zz.set");
    const auto r3 = runHost(root, {"cl_settings_refreshplugins", "sim_settings"}, {}, false);
    EXPECT_EQ(r3.exitCode, 0);
    EXPECT_EQ(r3.err, "");
    EXPECT_EQ(r3.lines(), (Lines{"window wingleaf.set: W", "  dropdown \"Preset\" wl_preset", "    A@0",
                                 "    Mine@Mine"}));
}

TEST(HostProgram, RealPluginClampsItsSliders) {
    const auto root = wltest::freshRoot("real-plugin");
    const auto r = runHost(root, {"plugin list", "wl_speed 99", "wl_speed"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    ASSERT_GE(r.lines().size(), 2u);
    EXPECT_EQ(r.lines()[0], "wingleaf Wingleaf 1.0.0");
    EXPECT_EQ(r.lines()[1], "wl_speed = 10");
}

}  // namespace
