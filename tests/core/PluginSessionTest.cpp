// The plug-in loaded by wingleaf-host, driven from the console as a person would.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "core/Variables.h"
#include "wltest/HostRunner.h"

namespace {

using wltest::freshRoot;
using wltest::readFile;
using wltest::runHost;

// NAME "VALUE" lines of the host's configuration file.
std::map<std::string, std::string> configValues(const std::filesystem::path& root) {
    std::map<std::string, std::string> values;
    std::istringstream in(readFile(root / "bakkesmod/cfg/config.cfg"));
    std::string name, value;
    while (in >> name >> value) values[name] = value;
    return values;
}

TEST(PluginSession, ListsItselfClampsAndSaysGoodbye) {
    const auto root = freshRoot("core-must-show");
    const auto result = runHost(root, {"plugin list", "wl_speed", "wl_speed 99", "wl_speed"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::string listed = "wingleaf Wingleaf " WL_VERSION "\n";
    EXPECT_EQ(result.out, listed +
                              "wl_speed = 1\n"
                              "wl_speed = 10\n"
                              "Debug5 statement\n");
    EXPECT_EQ(result.err, "");
}

TEST(PluginSession, LoadIsSilentAndUnloadOutsideAGameLogsOneLine) {
    const auto root = freshRoot("core-silent-load");
    const auto result = runHost(root, {});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Debug5 statement\n");
    EXPECT_EQ(result.err, "");
}

TEST(PluginSession, ConfigurationHoldsExactlyTheSavedVariables) {
    const auto root = freshRoot("core-writeconfig");
    const auto first = runHost(root, {"wl_speed 2.5", "wl_throttle 3", "wl_enabled 1",
                                      "wl_name_preset Mine", "wl_air_density 0.25", "writeconfig"});
    ASSERT_EQ(first.exitCode, 0) << first.err;

    std::set<std::string> expected;
    for (const VariableRow& row : kVariables)
        if (row.saved) expected.insert(std::string(row.name));
    // The developer toolbox's fifteen variables are saved as well.
    for (const char* name :
         {"recordCarInfo", "recordBallInfo", "recordEveryTick", "showHUD", "showCarRBState",
          "showBallRBState", "showCarDerivedInfo", "showInput", "showYaw", "showSlider",
          "overrideInput", "macroThrottle", "macroSteer", "macroHandbrake", "turnRightAt1000"})
        expected.insert(name);
    const auto values = configValues(root);
    std::set<std::string> written;
    for (const auto& [name, value] : values) written.insert(name);
    EXPECT_EQ(written, expected);
    EXPECT_EQ(values.at("wl_speed"), "\"2.5\"");
    EXPECT_EQ(values.at("wl_air_density"), "\"0.25\"");

    // The next session starts from the saved values; the unsaved ones are back to default.
    const auto second = runHost(
        root, {"wl_speed", "wl_air_density", "wl_throttle", "wl_enabled", "wl_name_preset"});
    EXPECT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(second.out,
              "wl_speed = 2.5\n"
              "wl_air_density = 0.25\n"
              "wl_throttle = 1\n"
              "wl_enabled = 0\n"
              "wl_name_preset = [Name of Preset]\n"
              "Debug5 statement\n");
}

TEST(PluginSession, SettingsWindowBuiltFromTheInstalledFile) {
    const auto root = freshRoot("core-settings-window");
    const auto result = runHost(root, {"sim_settings"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string& out = result.out;
    EXPECT_EQ(out.rfind("window wingleaf.set: Wingleaf\n", 0), 0u) << out;
    EXPECT_NE(out.find("  checkbox \"Enable wingleaf\" wl_enabled\n"), std::string::npos);
    EXPECT_NE(out.find("  dropdown \"Preset\" wl_preset\n"
                       "    Stock (no aero)@0\n"
                       "    Light glide@1\n"
                       "    Fast heavy-drag flier@2\n"
                       "    High-lift glider, no boost@3\n"
                       "    Flat wide wing@4\n"
                       "    Dense air, all drag, no boost@5\n"
                       "  text_input \"Preset name\" wl_name_preset\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("  button \"Create preset\" wl_create 1; wl_create 0\n"), std::string::npos);
    EXPECT_NE(out.find("  button \"Delete preset\" wl_delete 1\n"), std::string::npos);
    EXPECT_NE(out.find("  float_slider \"Terminal Velocity Multiplier\" wl_speed 0.000499 10\n"),
              std::string::npos);
}

// The command of a button (code 0) of the installed settings file, by its label.
std::string buttonCommand(const std::string& label) {
    std::istringstream in(readFile(std::string(WL_SOURCE_DIR) + "/install/settings/wingleaf.set"));
    const std::string prefix = "0|" + label + "|";
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
    return "";
}

std::size_t countLines(const std::string& out, const std::string& line) {
    std::size_t count = 0;
    std::istringstream in(out);
    std::string current;
    while (std::getline(in, current)) count += current == line ? 1 : 0;
    return count;
}

TEST(PluginSession, EachButtonPressCreatesOrDeletesOnce) {
    const std::string create = buttonCommand("Create preset");
    const std::string remove = buttonCommand("Delete preset");
    ASSERT_FALSE(create.empty());
    ASSERT_FALSE(remove.empty());
    const auto root = freshRoot("core-buttons");
    const std::string installed =
        readFile(std::string(WL_SOURCE_DIR) + "/install/settings/wingleaf.set");

    const auto result =
        runHost(root, {"wl_name_preset Mine", create, create, remove, create, remove, remove});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    // The second press overwrites the listed preset's values: nothing is added.
    EXPECT_EQ(countLines(result.out, "Preset Mine added to wingleaf.set!"), 2u) << result.out;
    EXPECT_EQ(countLines(result.out, "Preset name already exists! Overwriting slider values!"), 1u);
    EXPECT_EQ(countLines(result.out, "Wrote to Mine.txt"), 3u);
    EXPECT_EQ(countLines(result.out, "Moved tmp.set into wingleaf.set! Preset Mine removed!"), 2u);
    // The third delete press finds nothing: one run, one not-found line.
    EXPECT_EQ(countLines(result.out, "Preset not found. Check your preset name!"), 1u);

    // Back to the installed content, apart from the line ends a rewrite uses.
    std::string settings = readFile(root / "bakkesmod/plugins/settings/wingleaf.set");
    std::erase(settings, '\r');
    EXPECT_EQ(settings, installed);
    EXPECT_FALSE(std::filesystem::exists(root / "bakkesmod/wingleaf/Mine.txt"));
}

}  // namespace
