// The wingleaf-host program driven as a person would: options, exit codes, plug-ins,
// saved variables across sessions, installation and settings windows.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
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
    const auto r = wltest::runProgram({WL_HOST_EXE, "--root", root.string(), "--plugin", WL_TEST_PLUGIN,
                                       "-c", "tp_echo a \"b c\"; nosuch", "-c", "tp_speed 99",
                                       "-c", "tp_text \"two words\"", "-c", "tp_text",
                                       (root / "script.txt").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.lines(), (Lines{"[tp_echo][a][b c]",
                                "tp_speed changed from 1 to 10 (cell 10.000000)",
                                "tp_text = two words",
                                "tp_speed = 10",
                                "[tp_echo][from][script]",
                                "tp unloaded",
                                "tp destroyed"}));
    EXPECT_EQ(r.err, "unknown command or variable: nosuch (help lists the host commands, list the "
                     "plug-ins' variables)\n");
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
    // Only the first unknown name of the session says where the names are listed.
    EXPECT_EQ(r.err, "unknown command or variable: tp_speed (help lists the host commands, list the "
                     "plug-ins' variables)\n"
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
    EXPECT_EQ(r.lines()[0], "wingleaf Wingleaf " WL_VERSION);
    EXPECT_EQ(r.lines()[1], "wl_speed = 10");
}

TEST(HostProgram, ASignalEndsALongRunAtTheNextTickAndTheSessionNormally) {
    for (const auto& [signal, exitCode] :
         {std::pair{"INT", 130}, std::pair{"TERM", 143}, std::pair{"HUP", 129}}) {
        const auto root = wltest::freshRoot(std::string("signal-") + signal);
        // A thousand of the longest runs: no machine finishes them before the signal arrives.
        std::vector<std::string> argv{"/usr/bin/timeout", "--preserve-status", "-s", signal, "1"};
        argv.insert(argv.end(), {WL_HOST_EXE, "--root", root.string(), "--plugin", WL_TEST_PLUGIN});
        argv.insert(argv.end(), {"-c", "tp_speed 4.5", "-c", "sim_mode freeplay"});
        for (int i = 0; i < 1000; ++i) argv.insert(argv.end(), {"-c", "sim_tick 10000000"});
        argv.insert(argv.end(), {"-c", "tp_echo not reached"});
        const auto start = std::chrono::steady_clock::now();
        const auto r = wltest::runProgram(argv);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(r.exitCode, exitCode) << r.err;
        EXPECT_LT(took.count(), 2.5) << signal;  // one second before the signal, then at once
        EXPECT_EQ(r.lines(), (Lines{"tp_speed changed from 1 to 4.5 (cell 4.500000)", "tp unloaded", "tp destroyed"}));
        EXPECT_EQ(wltest::readFile(root / "bakkesmod/cfg/config.cfg"), "tp_speed \"4.5\"\n");
    }
}

TEST(HostProgram, AClosedOutputEndsTheSessionNormallyLikeSIGTERM) {
    // The output's reader is gone before the program starts (`| head -1` once it has its line):
    // the first line written meets a closed pipe.
    const auto root = wltest::freshRoot("closed-output");
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    ::close(out[0]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, (root / "err.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string rootArg = root.string();
    std::vector<const char*> argv{WL_HOST_EXE,    "--root", rootArg.c_str(), "--plugin",
                                  WL_TEST_PLUGIN, "-c",     "tp_speed 4.5",  "-c",
                                  "tp_speed 6",   nullptr};
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, WL_HOST_EXE, &actions, nullptr,
                                      const_cast<char* const*>(argv.data()), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ASSERT_EQ(spawned, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGPIPE);
    EXPECT_EQ(wltest::readFile(root / "err.txt"), "");
    // The line after the one whose output failed did not run; the value it left was saved.
    EXPECT_EQ(wltest::readFile(root / "bakkesmod/cfg/config.cfg"), "tp_speed \"4.5\"\n");
}

TEST(HostProgram, AByteOrderMarkBeforeAScriptOrStandardInputIsSkipped) {
    const auto root = wltest::freshRoot("byte-order-mark");
    const auto script = root / "saved-by-notepad.txt";
    wltest::writeFile(script, "\xEF\xBB\xBFtp_echo first\r\ntp_echo second\r\n");
    const std::string host = std::string(WL_HOST_EXE) + " --root " + root.string() + " --plugin " + WL_TEST_PLUGIN;
    for (const std::vector<std::string>& argv :
         {std::vector<std::string>{WL_HOST_EXE, "--root", root.string(), "--plugin", WL_TEST_PLUGIN, script.string()},
          std::vector<std::string>{"/bin/sh", "-c", host + " <" + script.string()}}) {
        const auto r = wltest::runProgram(argv);
        EXPECT_EQ(r.exitCode, 0) << argv.back();
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, "[tp_echo][first]\n[tp_echo][second]\ntp unloaded\ntp destroyed\n");
    }
}

TEST(HostProgram, FailedReadsAreReportedAndKeepTheSavedVariables) {
    const auto root = wltest::freshRoot("failed-reads");
    const std::string longLine(std::size_t{1} << 21, 'x');
    wltest::writeFile(root / "long.txt", "tp_echo first\n" + longLine + "\ntp_echo after\n");
    std::filesystem::create_directories(root / "dir.txt");
    const std::string host = std::string(WL_HOST_EXE) + " --root " + root.string() + " --plugin " + WL_TEST_PLUGIN;
    struct Case {
        std::vector<std::string> argv;
        std::string out, err;
    };
    const Case cases[] = {
        {{WL_HOST_EXE, "--root", root.string(), "--plugin", WL_TEST_PLUGIN, (root / "long.txt").string()},
         "[tp_echo][first]\n", (root / "long.txt").string() + ":2: line longer than 1 MiB; the rest was not run\n"},
        {{WL_HOST_EXE, "--root", root.string(), "--plugin", WL_TEST_PLUGIN, (root / "dir.txt").string()},
         "", "cannot read " + (root / "dir.txt").string() + ": Is a directory\n"},
        {{"/bin/sh", "-c", host + " </dev/zero"}, "", "standard input:1: line longer than 1 MiB; the rest was not run\n"},
        {{"/bin/sh", "-c", host + " <" + root.string()}, "", "cannot read standard input: Is a directory\n"},
    };
    for (const Case& c : cases) {
        const auto r = wltest::runProgram(c.argv);
        EXPECT_EQ(r.exitCode, 1) << c.argv.back();
        EXPECT_EQ(r.out, c.out + "tp unloaded\ntp destroyed\n");
        EXPECT_EQ(r.err, c.err);
    }

    // A saved variables file that cannot be read to its end is left exactly as it was.
    const std::string config = "tp_speed \"3\"\n" + longLine + "\ntp_other \"1\"\n";
    wltest::writeFile(root / "bakkesmod/cfg/config.cfg", config);
    const auto r = runTest(root, {"tp_speed", "tp_speed 5", "writeconfig"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.lines(), (Lines{"tp_speed = 3", "tp_speed changed from 3 to 5 (cell 5.000000)", "tp unloaded",
                                "tp destroyed"}));
    EXPECT_EQ(r.err, "config: bakkesmod/cfg/config.cfg:2: line longer than 1 MiB; the rest of the file was not "
                     "read; bakkesmod/cfg/config.cfg will be left as it is at the end of the session\n"
                     "writeconfig: bakkesmod/cfg/config.cfg was not read completely at the start; it is left as "
                     "it is\n"
                     "writeconfig: bakkesmod/cfg/config.cfg was not read completely at the start; it is left as "
                     "it is\n");
    EXPECT_EQ(wltest::readFile(root / "bakkesmod/cfg/config.cfg"), config);
}

TEST(HostProgram, ScriptsRunInTheOrderTypedFromWhereTheUserStandsAndNeverRunThemselves) {
    const auto root = wltest::freshRoot("scripts");
    const auto self = root / "self.txt";
    wltest::writeFile(self, "tp_echo once\nexec " + self.string() + "\nexec " + self.string() + "\n");
    wltest::writeFile(root / "game/inner.txt", "tp_echo inner\n");
    wltest::writeFile(root / "outer.txt", "tp_echo outer; exec game/inner.txt\n");
    // The program starts in ROOT, the session runs in ROOT/game: relative paths are the user's.
    const auto r = wltest::runProgram({"/bin/sh", "-c",
                                       "cd " + root.string() + " && " + WL_HOST_EXE + " --root game --plugin " +
                                           WL_TEST_PLUGIN + " -c 'tp_echo first' outer.txt -c 'exec self.txt' " +
                                           "-c 'tp_echo last'"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.lines(), (Lines{"[tp_echo][first]", "[tp_echo][outer]", "[tp_echo][inner]", "[tp_echo][once]",
                                "[tp_echo][last]", "tp unloaded", "tp destroyed"}));
    EXPECT_EQ(r.err, "exec: " + self.string() + " is running already; a script cannot run itself\n"
                     "exec: " + self.string() + " is running already; a script cannot run itself\n");
}

TEST(HostProgram, VersionMissingScriptsAndPluginsAndLoadErrorsSayItOnce) {
    const auto root = wltest::freshRoot("messages");
    auto r = wltest::runProgram({WL_HOST_EXE, "--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "wingleaf-host " WL_VERSION "\n");

    r = wltest::runProgram({WL_HOST_EXE, "--root", (root / "new").string(), "-c", "help", "nosuch.txt"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "wingleaf-host: no such script file: nosuch.txt\n"
                     "usage: wingleaf-host [--root DIR] [--plugin PATH] [--canvas WxH] [-c LINE]... [SCRIPT]...\n");
    EXPECT_FALSE(std::filesystem::exists(root / "new"));  // found before anything was touched

    // A plug-in of the command line that does not load ends the program before any line runs.
    const std::string missing = (root / "missing.so").string();
    r = wltest::runProgram({WL_HOST_EXE, "--root", (root / "new").string(), "--plugin", missing, "-c", "help"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "wingleaf-host: no such plug-in file: " + missing + "\n"
                     "usage: wingleaf-host [--root DIR] [--plugin PATH] [--canvas WxH] [-c LINE]... [SCRIPT]...\n");
    EXPECT_FALSE(std::filesystem::exists(root / "new"));
    r = wltest::runProgram({WL_HOST_EXE, "--root", root.string(), "--plugin", "nosuch", "-c", "help"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(std::filesystem::exists(root / "bakkesmod/cfg/config.cfg"));

    r = runHost(root, {"plugin load " + missing}, {}, false);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "plugin load: cannot open " + missing + ": cannot open shared object file: No such file or "
                     "directory\n");
}

TEST(HostProgram, ListShowsThePluginsVariablesWithValuesAndTheirCommands) {
    const auto root = wltest::freshRoot("list");
    const auto r = runTest(root, {"tp_speed 3", "list tp_"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const auto lines = r.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "tp_speed = 3  (0.000499 to 10)  A saved slider"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "tp_echo  (command)  Logs its words"), lines.end());
}

TEST(HostProgram, HostCommandsRefuseWhatTheyCannotDoAndChangeNothing) {
    const auto root = wltest::freshRoot("usage");
    const auto r = runTest(root, {"exec", "exec a.txt b.txt", "list a b", "help me", "quit now",
                                  "writeconfig now", "sim_settings all", "cl_settings_refreshplugins x",
                                  "plugin unload Nosuch", "tp_run \"plugin unload TestPlugin\"",
                                  "tp_echo still here"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.lines(), (Lines{"[tp_echo][still][here]", "tp unloaded", "tp destroyed"}));
    EXPECT_EQ(r.err, "usage: exec FILE\nusage: exec FILE\nusage: list [PREFIX]\nusage: help\nusage: quit\n"
                     "usage: writeconfig\nusage: sim_settings\nusage: cl_settings_refreshplugins\n"
                     "plugin unload: Nosuch is not loaded\n"
                     "plugin unload: TestPlugin cannot be unloaded from inside a plug-in callback\n");
}

TEST(HostProgram, AChainOfScriptsStopsSixteenDeep) {
    const auto root = wltest::freshRoot("chain");
    for (int i = 1; i <= 17; ++i) {
        // Appended, not concatenated: GCC 12 at -O3 warns falsely about the temporaries.
        std::string script = "tp_echo ";
        script.append(std::to_string(i)).append("\nexec s").append(std::to_string(i + 1)).append(".txt\n");
        std::string name = "s";
        name.append(std::to_string(i)).append(".txt");
        wltest::writeFile(root / name, script);
    }
    const auto r = wltest::runProgram({"/bin/sh", "-c", "cd " + root.string() + " && " + WL_HOST_EXE +
                                                            " --root . --plugin " + WL_TEST_PLUGIN + " s1.txt"});
    EXPECT_EQ(r.exitCode, 1);
    const auto lines = r.lines();
    ASSERT_EQ(lines.size(), 18u) << r.out;
    EXPECT_EQ(lines[15], "[tp_echo][16]");
    EXPECT_EQ(r.err, "exec: s17.txt: scripts nested too deeply\n");
}

TEST(HostProgram, AnInstallationThatCannotBeLaidOutIsReportedAndNothingIsOverwritten) {
    const auto root = wltest::freshRoot("no-install");
    wltest::writeFile(root / "bakkesmod", "a file of the user's");
    const auto r = runHost(root, {"help"}, {}, false);
    EXPECT_NE(r.err.find("installation: cannot create ./bakkesmod/plugins/settings: Not a directory\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("installation: cannot write ./bakkesmod/plugins/settings/wingleaf.set: Not a directory\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(wltest::readFile(root / "bakkesmod"), "a file of the user's");
}

}  // namespace
