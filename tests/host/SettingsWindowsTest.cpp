// Settings windows from their files: parsing every control kind, broken lines, and the sim_settings lines.
#include <gtest/gtest.h>

#include "console/SettingsWindows.h"

namespace {

TEST(SettingsFiles, ParsesAndFormatsEveryControl) {
    const std::string text =
        "My Plug-in\r\n"
        "1|Enable|p_on\r\n"
        "8\r\n"
        "6|Preset|p_preset|Stock@0&Light glide@1&Mine@Mine&\r\n"
        "\r\n"
        "12|Preset name|p_name\r\n"
        "0|Create|p_create 1; p_create 0\r\n"
        "7\r\n"
        "4|Speed|p_speed|0.000499|10\r\n"
        "5|Count|p_count|0|3\r\n"
        "2|Range|p_range|1|2\r\n"
        "3|Int range|p_irange|1|2\r\n"
        "9|Just text\r\n"
        "10|p_on\r\n"
        "13|Colour|p_colour\r\n"
        "11\r\n"
        "6|Odd|p_odd|a|b@1&plain\r\n";
    std::vector<std::string> problems;
    const host::SettingsWindow window = host::parseSettingsFile("mine.set", text, problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(host::formatSettingsWindow(window), (std::vector<std::string>{
                                                      "window mine.set: My Plug-in",
                                                      "  checkbox \"Enable\" p_on",
                                                      "  separator",
                                                      "  dropdown \"Preset\" p_preset",
                                                      "    Stock@0",
                                                      "    Light glide@1",
                                                      "    Mine@Mine",
                                                      "  text_input \"Preset name\" p_name",
                                                      "  button \"Create\" p_create 1; p_create 0",
                                                      "  same_line",
                                                      "  float_slider \"Speed\" p_speed 0.000499 10",
                                                      "  int_slider \"Count\" p_count 0 3",
                                                      "  float_range \"Range\" p_range 1 2",
                                                      "  int_range \"Int range\" p_irange 1 2",
                                                      "  label \"Just text\"",
                                                      "  greyed_begin p_on",
                                                      "  color_edit \"Colour\" p_colour",
                                                      "  greyed_end",
                                                      "  dropdown \"Odd\" p_odd",
                                                      "    a|b@1",
                                                      "    plain@",
                                                  }));
}

TEST(SettingsFiles, BrokenLinesAreSkippedAndDescribed) {
    std::vector<std::string> problems;
    const host::SettingsWindow window =
        host::parseSettingsFile("bad.set", "T\nx|Label|v\n4|Speed|v\n99|a|b\n1|Fine|ok\n", problems);
    EXPECT_EQ(problems, (std::vector<std::string>{"line 2: unknown control code 'x'",
                                                  "line 3: float_slider needs 4 fields after the code",
                                                  "line 4: unknown control code '99'"}));
    EXPECT_EQ(host::formatSettingsWindow(window),
              (std::vector<std::string>{"window bad.set: T", "  checkbox \"Fine\" ok"}));

    problems.clear();
    host::parseSettingsFile("empty.set", "", problems);
    EXPECT_EQ(problems, std::vector<std::string>{"empty file"});
}

}  // namespace
