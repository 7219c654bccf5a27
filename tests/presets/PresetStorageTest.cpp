// Preset record values, base presets, the preset-file format and the name and index rules.
#include <gtest/gtest.h>

#include "presets/Preset.h"
#include "presets/PresetStorage.h"

namespace {

const SliderValues kDefaults{};

// Values in the order a preset file lists them (slider order); the sliders not listed hold 7.
SliderValues listed(std::initializer_list<float> values) {
    SliderValues result;
    auto next = values.begin();
    for (Slider slider : kSliders) result[slider] = next != values.end() ? *next++ : 7.0f;
    return result;
}

TEST(Preset, LoadBaseGivesDefaultsOutsideOneToFive) {
    for (int index : {0, -1, 6, 7, 2000, -2147483647 - 1}) {
        Preset preset;
        preset.loadBase(3);
        preset.loadBase(index);
        EXPECT_EQ(preset.values, kDefaults) << index;
    }
}

TEST(Preset, LoadBaseFillsNamedFieldsInSliderOrder) {
    Preset preset;
    preset.loadBase(1);
    EXPECT_EQ(preset.values[Slider::speed], 2.067f);
    EXPECT_EQ(preset.values[Slider::air_density], 0.035f);
    EXPECT_EQ(preset.values[Slider::yaw], 0.24f);
    EXPECT_EQ(preset.values[Slider::throttle], 6.724f);
    preset.loadBase(4);
    EXPECT_EQ(preset.values[Slider::length], 10.0f);
    EXPECT_EQ(preset.values[Slider::height], 0.001f);
    EXPECT_EQ(preset.values[Slider::lift], 0.839f);
    preset.loadBase(5);
    EXPECT_EQ(preset.values[Slider::drag_z], 10.0f);
    EXPECT_EQ(preset.values[Slider::pitch], 0.0f);
}

TEST(Preset, SliderCommandsHaveFiveDecimals) {
    const struct {
        float value;
        const char* line;
    } cases[] = {
        {2.067f, "wl_speed 2.06700"}, {10.0f, "wl_speed 10.00000"},
        {0.0f, "wl_speed 0.00000"},   {0.000001f, "wl_speed 0.00000"},
        {-0.5f, "wl_speed -0.50000"}, {0.000006f, "wl_speed 0.00001"},
        {0.125f, "wl_speed 0.12500"},
    };
    for (const auto& c : cases) EXPECT_EQ(sliderCommand("wl_speed", c.value), c.line);
}

TEST(PresetFile, WritesThreeDecimalsEachFollowedByOneBlank) {
    EXPECT_EQ(formatPresetFile(kBasePresets[1]),
              "2.067 0.577 0.035 0.978 1.218 0.481 0.065 0.065 0.321 0.321 0.304 0.240 0.171 "
              "6.724 ");
    EXPECT_EQ(formatPresetFile(kDefaults),
              "1.000 1.000 0.000 1.000 1.000 1.000 0.000 0.000 0.000 0.000 0.000 0.000 0.000 "
              "1.000 ");
    SliderValues values = kDefaults;
    values[Slider::speed] = 0.0004f;
    values[Slider::boost] = 0.12345f;
    values[Slider::air_density] = -0.5f;
    EXPECT_EQ(formatPresetFile(values).substr(0, 19), "0.000 0.123 -0.500 ");
}

TEST(PresetFile, ReadsLikeStreamExtraction) {
    const SliderValues kSeven = listed({});
    const struct {
        const char* content;
        std::size_t count;
        SliderValues values;
    } cases[] = {
        {"2.067 0.577 0.035 0.978 1.218 0.481 0.065 0.065 0.321 0.321 0.304 0.240 0.171 6.724 ", 14,
         kBasePresets[1]},
        {"1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n14\n15\n16\n",
         14,
         listed({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14})},
        {"\t1.5e1\r\n -2 +3 .5", 4, listed({15, -2, 3, 0.5f})},
        {"1 2 x 4", 2, listed({1, 2})},
        {"0.000 0.123", 2, listed({0, 0.123f})},
        {"", 0, kSeven},
        {"garbage", 0, kSeven},
        {"1 1e999 3", 1, listed({1})},
        {"1 nan 3", 1, listed({1})},
        {"1 inf 3", 1, listed({1})},
    };
    for (const auto& c : cases) {
        SliderValues values = kSeven;
        EXPECT_EQ(parsePresetFile(c.content, values), c.count) << c.content;
        EXPECT_EQ(values, c.values) << c.content;
    }
}

TEST(PresetFile, PathJoinsDirectoryNameAndExtension) {
    EXPECT_EQ(presetFilePath(kPresetDirectory, "My Glide"), "./bakkesmod/wingleaf/My Glide.txt");
}

TEST(PresetName, RefusesWhatLeavesTheDirectoryOrBreaksTheOptionList) {
    const struct {
        std::string name;
        bool safe;
    } cases[] = {
        {"Glide", true},
        {"My Glide", true},
        {"12abc", true},
        {"3", true},
        {"v1.2 (fast!)", true},
        {"a-b_c,d;e'f#g", true},
        {".hidden", true},
        {"Grüße", true},
        {"[Name of Preset]", true},
        {"", false},
        {"a/b", false},
        {"../x", false},
        {"a\\b", false},
        {"..", false},
        {"x..y", false},
        {"C:evil", false},
        {"a:b", false},
        {"a&b", false},
        {"a@b", false},
        {"a|b", false},
        {std::string("a\nb"), false},
        {std::string("a\tb"), false},
        {std::string("a\x7f"), false},
        {std::string("a\0b", 3), false},
        {"CON", false},
        {"nul", false},
        {"com1", false},
        {"LPT9.x", false},
        {"AUX ", false},
        {"CONSOLE", true},
        {"COM", true},
        {"COM10", true},
        {"COM\xC2\xB9", false},
        {"lpt\xC2\xB3.txt", false},
        {"COM\xB2", false},
        {"COM\xC2\xB4", true},
        {"a<b", false},
        {"a>b", false},
        {"say \"hi\"", false},
        {"why?", false},
        {"a*", false},
        {std::string(100, 'n'), true},
        {std::string(101, 'n'), false},
    };
    for (const auto& c : cases) EXPECT_EQ(isSafePresetName(c.name), c.safe) << c.name;
}

// A new name that the selection or the host's variable reads as a number could never be picked.
TEST(PresetName, NewNamesMustNotReadAsNumbers) {
    const struct {
        const char* name;
        bool number;
    } cases[] = {
        {"3", true},        {"007", true},      {"+1", true},       {"-2", true},
        {"2.5", true},      {".5", true},       {"1.", true},       {"1e999", true},
        {"-1E-999", true},  {"Infinity", true}, {"-inf", true},     {"nan", true},
        {"NaN(7)", true},   {"0x1p3", true},    {"0X.8", true},     {" 3 ", true},
        {"12abc", false},   {"1e", false},      {"0x", false},      {"+", false},
        {"+-3", false},     {"0x-1", false},    {"infinite", false}, {"nano", false},
        {"Glide", false},   {"3 4", false},     {"1,5", false},     {"e5", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(readsAsNumber(c.name), c.number) << c.name;
        EXPECT_EQ(isNewPresetName(c.name), !c.number) << c.name;
    }
    EXPECT_FALSE(isNewPresetName("a/b"));
}

TEST(PresetIndex, SignAndDigitsOnly) {
    const struct {
        const char* value;
        bool index;
    } cases[] = {
        {"0", true},           {"2", true},   {"-1", true},  {"+7", true},   {"0007", true},
        {"99999999999", true}, {"", false},   {"+", false},  {"-", false},   {"12abc", false},
        {"2.5", false},        {" 3", false}, {"3 ", false}, {"+-3", false}, {"abc", false},
    };
    for (const auto& c : cases) EXPECT_EQ(isPresetIndex(c.value), c.index) << c.value;
}

}  // namespace

#include "RecordingConsole.h"

namespace {

std::vector<std::string> applied(Preset& preset) {
    recordedCommands.clear();
    preset.apply();
    std::vector<std::string> lines;
    for (const auto& [command, log] : recordedCommands) {
        EXPECT_FALSE(log) << command;
        lines.push_back(command);
    }
    return lines;
}

TEST(Preset, ApplySendsFourteenCommandsInSliderOrder) {
    Preset preset;
    preset.cvarManager = std::make_shared<CVarManagerWrapper>(1, typeid(Preset));
    EXPECT_EQ(applied(preset),
              (std::vector<std::string>{
                  "wl_speed 1.00000", "wl_boost 1.00000", "wl_air_density 0.00000",
                  "wl_length 1.00000", "wl_width 1.00000", "wl_height 1.00000", "wl_drag_x 0.00000",
                  "wl_drag_y 0.00000", "wl_drag_z 0.00000", "wl_pitch 0.00000", "wl_roll 0.00000",
                  "wl_yaw 0.00000", "wl_lift 0.00000", "wl_throttle 1.00000"}));
    const auto console = preset.cvarManager;
    preset.loadBase(1);
    EXPECT_EQ(preset.cvarManager, console);
    auto lines = applied(preset);
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines.front(), "wl_speed 2.06700");
    EXPECT_EQ(lines.back(), "wl_throttle 6.72400");
    preset.loadBase(2);
    EXPECT_EQ(applied(preset).front(), "wl_speed 10.00000");
    preset.loadBase(3);
    EXPECT_EQ(applied(preset).front(), "wl_speed 2.08100");
    EXPECT_EQ(preset.values, kBasePresets[3]);  // applying leaves the record as it was
}

TEST(Preset, ApplyWithoutConsoleSendsNothing) {
    Preset preset;
    EXPECT_TRUE(applied(preset).empty());
}

}  // namespace
