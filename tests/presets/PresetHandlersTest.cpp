// The wl_preset, wl_create and wl_delete handlers on a loaded plug-in in the host's console.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "console/Console.h"
#include "core/wingleaf.h"
#include "presets/Preset.h"
#include "presets/PresetStorage.h"
#include "sdk/PluginContext.h"
#include "wltest/HostRunner.h"

namespace fs = std::filesystem;
using wltest::readFile;
using wltest::writeFile;

namespace {

using Lines = std::vector<std::string>;

class PresetHandlers : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        previousDir = fs::current_path();
        const fs::path root = wltest::freshRoot(std::string("handlers-") + info->name());
        fs::current_path(root);
        fs::create_directories("bakkesmod/plugins/settings");
        installed = readFile(fs::path(WL_SOURCE_DIR) / "install/settings/wingleaf.set");
        writeFile("bakkesmod/plugins/settings/wingleaf.set", installed);

        console.addHostCommand("cl_settings_refreshplugins", "", [this](const host::Words&) {
            ++refreshes;
            return true;
        });
        context.console = &console;
        context.className = "wingleaf";
        const auto address = reinterpret_cast<std::uintptr_t>(&context);
        plugin.cvarManager = std::make_shared<CVarManagerWrapper>(address, typeid(wingleaf));
        plugin.gameWrapper = std::make_shared<GameWrapper>(address, 1, typeid(wingleaf));
        plugin.onLoad();
        refreshes = 0;
    }
    void TearDown() override {
        console.dropOwner(&context);
        fs::current_path(previousDir);
    }

    // Runs console lines and returns what the plug-in logged meanwhile.
    Lines run(const Lines& lines) {
        out.str("");
        for (const std::string& line : lines) EXPECT_TRUE(console.execute(line)) << line;
        EXPECT_EQ(err.str(), "");
        Lines logged;
        std::istringstream in(out.str());
        for (std::string line; std::getline(in, line);) logged.push_back(line);
        return logged;
    }
    SliderValues sliders() const { return plugin.sliderValues(); }
    // Every slider set to a value no preset uses.
    void scramble() {
        Lines lines;
        for (Slider slider : kSliders)
            lines.push_back(std::string(variableOf(slider).name) + " 0.25");
        run(lines);
    }

    fs::path previousDir;
    std::string installed;
    std::ostringstream out, err;
    host::Console console{out, err};
    host::PluginContext context;
    wingleaf plugin;
    int refreshes = 0;
};

// What the sliders hold after a value set: the host keeps each variable within its range.
SliderValues clamped(SliderValues v) {
    v[Slider::speed] = std::max(v[Slider::speed], 0.000499f);
    v[Slider::air_density] = std::min(v[Slider::air_density], 0.5f);
    return v;
}

SliderValues filled(float value) {
    SliderValues v;
    for (Slider slider : kSliders) v[slider] = value;
    return v;
}

TEST_F(PresetHandlers, SelectionByIndexAppliesBasePresetsSilently) {
    const struct {
        const char* value;
        std::size_t base;
    } cases[] = {{"2", 2}, {"0", 0}, {"-1", 0}, {"7", 0}, {"5", 5}, {"+1", 1}};
    for (const auto& c : cases) {
        scramble();
        EXPECT_EQ(run({std::string("wl_preset ") + c.value}), Lines{}) << c.value;
        EXPECT_EQ(sliders(), clamped(kBasePresets[c.base])) << c.value;
        EXPECT_EQ(plugin.preset->values, kBasePresets[c.base]) << c.value;
    }
}

TEST_F(PresetHandlers, SelectionByNameReadsThePresetFile) {
    fs::create_directories("bakkesmod/wingleaf");
    writeFile("bakkesmod/wingleaf/12abc.txt", formatPresetFile(kBasePresets[4]));
    writeFile("bakkesmod/wingleaf/My Glide.txt", formatPresetFile(kBasePresets[1]));
    writeFile("bakkesmod/wingleaf/3.txt", formatPresetFile(filled(9)));
    writeFile("bakkesmod/wingleaf/sixteen.txt",
              "1.000\n2.000\n3.000\n4.000\n5.000\n6.000\n7.000\n8.000\n9.000\n10.000\n0.1\n0.2\n"
              "0.3\n0.4\n15.000\n16.000\n");
    const struct {
        const char* line;
        SliderValues expected;
    } cases[] = {
        {"wl_preset 12abc", kBasePresets[4]},
        {"wl_preset \"My Glide\"", kBasePresets[1]},
        {"wl_preset 3", kBasePresets[3]},  // all digits: an index, never the file
        {"wl_preset sixteen",
         {{Slider::speed, 1},   {Slider::boost, 2},    {Slider::air_density, 3},
          {Slider::length, 4},  {Slider::width, 5},    {Slider::height, 6},
          {Slider::drag_x, 7},  {Slider::drag_y, 8},   {Slider::drag_z, 9},
          {Slider::pitch, 10},  {Slider::roll, 0.1f},  {Slider::yaw, 0.2f},
          {Slider::lift, 0.3f}, {Slider::throttle, 0.4f}}},
    };
    for (const auto& c : cases) {
        scramble();
        EXPECT_EQ(run({c.line}), Lines{}) << c.line;
        EXPECT_EQ(sliders(), clamped(c.expected)) << c.line;
    }
}

TEST_F(PresetHandlers, ShortFileChangesOnlyTheValuesItHolds) {
    fs::create_directories("bakkesmod/wingleaf");
    writeFile("bakkesmod/wingleaf/short.txt", "4 5 oops 6");
    writeFile("bakkesmod/wingleaf/empty.txt", "");
    scramble();
    run({"wl_preset short"});
    SliderValues expected = filled(0.25f);
    expected[Slider::speed] = 4;
    expected[Slider::boost] = 5;
    EXPECT_EQ(sliders(), expected);
    run({"wl_preset empty"});
    EXPECT_EQ(sliders(), expected);
}

TEST_F(PresetHandlers, SelectionOfAMissingOrUnsafeNameIsSilentAndChangesNothing) {
    writeFile("bakkesmod/outside.txt", formatPresetFile(kBasePresets[2]));
    fs::create_directories("bakkesmod/wingleaf");
    writeFile("bakkesmod/wingleaf/.txt", formatPresetFile(kBasePresets[2]));
    scramble();
    const Preset before = *plugin.preset;
    for (const char* line : {"wl_preset missing", "wl_preset ../outside", "wl_preset \"\"",
                             "wl_preset \"a@b\"", "wl_preset 2.5x"}) {
        EXPECT_EQ(run({line}), Lines{}) << line;
        EXPECT_EQ(sliders(), filled(0.25f)) << line;
        EXPECT_EQ(plugin.preset->values, before.values) << line;
    }
}

TEST_F(PresetHandlers, CreateSnapshotsTheSlidersAndSelectBringsThemBack) {
    fs::create_directories("bakkesmod/wingleaf");
    run({"wl_preset 1", "wl_name_preset \"My Glide\""});
    EXPECT_EQ(run({"wl_create 0"}), Lines{});
    EXPECT_EQ(refreshes, 0);
    EXPECT_EQ(run({"wl_create 1"}),
              (Lines{"Directory wingleaf already exists. Attemtping to create preset...",
                     "Wrote to tmp.set", "Updated wingleaf.set permissions.",
                     "wingleaf.set successfully deleted", "Preset My Glide added to wingleaf.set!",
                     "Wrote to My Glide.txt"}));
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(readFile("bakkesmod/wingleaf/My Glide.txt"),
              "2.067 0.577 0.035 0.978 1.218 0.481 0.065 0.065 0.321 0.321 0.304 0.240 0.171 "
              "6.724 ");
    scramble();
    run({"wl_preset \"My Glide\""});
    EXPECT_EQ(sliders(), kBasePresets[1]);
    // The value of the create variable stays; the name and selection are not touched.
    EXPECT_EQ(console.findVariable("wl_create")->value, "1");
    EXPECT_EQ(*plugin.namePreset, "My Glide");
}

TEST_F(PresetHandlers, DeleteRunsOnEveryChangeAndADeletedPresetNoLongerLoads) {
    run({"wl_name_preset Mine", "wl_create 1; wl_create 0"});
    ASSERT_TRUE(fs::exists("bakkesmod/wingleaf/Mine.txt"));
    refreshes = 0;
    EXPECT_EQ(run({"wl_delete 1"}),
              (Lines{"Removing Mine from wingleaf.set!", "Wrote to tmp.set...",
                     "wingleaf.set successfully deleted",
                     "Moved tmp.set into wingleaf.set! Preset Mine removed!"}));
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(readFile("bakkesmod/plugins/settings/wingleaf.set"), [this] {
        std::string crlf;
        for (char c : installed) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        return crlf;
    }());
    EXPECT_EQ(run({"wl_delete 0"}),
              (Lines{"Removed tmp.set", "Preset not found. Check your preset name!"}));
    EXPECT_EQ(refreshes, 1);
    scramble();
    EXPECT_EQ(run({"wl_preset Mine"}), Lines{});
    EXPECT_EQ(sliders(), filled(0.25f));
}

TEST_F(PresetHandlers, UnsafeNamesAreRefusedWithOneLine) {
    const std::string refused =
        "Invalid preset name. A name must not be empty, longer than 100 bytes, a number such as 3 "
        "or inf, or a device name such as CON, and must not contain control characters, \"..\" or "
        "any of / \\ : & @ | < > \" ? *";
    for (const char* name : {"\"\"", "../x", "a&b", "\"Glide|2\"", "C:x"}) {
        EXPECT_EQ(run({std::string("wl_name_preset ") + name, "wl_create 1", "wl_delete 1"}),
                  (Lines{refused, refused}))
            << name;
    }
    EXPECT_EQ(refreshes, 0);
    EXPECT_FALSE(fs::exists("bakkesmod/wingleaf"));
    EXPECT_EQ(readFile("bakkesmod/plugins/settings/wingleaf.set"), installed);
}

}  // namespace
