// The installed settings file: every control matches the variable table it drives.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/Variables.h"
#include "wltest/HostRunner.h"

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (true) {
        const auto end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

std::vector<std::string> settingsLines() {
    // The path is appended, not concatenated: GCC 12 at -O2 warns falsely about the latter here.
    std::string path = WL_SOURCE_DIR;
    path.append("/install/settings/wingleaf.set");
    const std::string content = wltest::readFile(path);
    EXPECT_FALSE(content.empty());
    EXPECT_EQ(content.find('\r'), std::string::npos) << "LF line ends only";
    EXPECT_EQ(content.back(), '\n');
    std::vector<std::string> lines = split(content, '\n');
    lines.pop_back();
    return lines;
}

TEST(SettingsFile, TitleCheckboxAndOneSliderPerFloatSetting) {
    const auto lines = settingsLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "Wingleaf");

    std::map<std::string, std::vector<std::string>> controlsByVariable;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const auto fields = split(lines[i], '|');
        if (fields[0] == "1" || fields[0] == "4" || fields[0] == "6" || fields[0] == "12") {
            ASSERT_GE(fields.size(), 3u) << lines[i];
            controlsByVariable[fields[2]] = fields;
        }
    }

    EXPECT_EQ(controlsByVariable["wl_enabled"].at(0), "1");
    EXPECT_EQ(controlsByVariable["wl_name_preset"],
              (std::vector<std::string>{"12", "Preset name", "wl_name_preset"}));

    std::size_t sliders = 0;
    for (const VariableRow& row : kVariables) {
        if (row.cellKind() != CellKind::Float) continue;
        ++sliders;
        const auto& fields = controlsByVariable[std::string(row.name)];
        ASSERT_EQ(fields.size(), 5u) << row.name;
        EXPECT_EQ(fields[0], "4") << row.name;
        EXPECT_EQ(fields[1], row.description);
        EXPECT_EQ(std::strtof(fields[3].c_str(), nullptr), row.min) << row.name;
        EXPECT_EQ(std::strtof(fields[4].c_str(), nullptr), row.max) << row.name;
    }
    EXPECT_EQ(sliders, 14u);
    // Title, checkbox, drop-down, name input and fourteen sliders; nothing drives an unknown
    // variable.
    for (const auto& [variable, fields] : controlsByVariable)
        EXPECT_NE(findVariable(variable), nullptr) << variable;
}

TEST(SettingsFile, OnePresetLineWithTheSixBasePresets) {
    std::vector<std::string> presetLines;
    for (const auto& line : settingsLines()) {
        if (line.find("wl_preset") != std::string::npos) presetLines.push_back(line);
    }
    ASSERT_EQ(presetLines.size(), 1u);
    const auto fields = split(presetLines[0], '|');
    ASSERT_EQ(fields.size(), 4u);
    EXPECT_EQ(fields[0], "6");
    EXPECT_EQ(fields[2], "wl_preset");
    const auto options = split(fields[3], '&');
    ASSERT_EQ(options.size(), 6u);
    std::set<std::string> labels;
    for (std::size_t i = 0; i < options.size(); ++i) {
        const auto parts = split(options[i], '@');
        ASSERT_EQ(parts.size(), 2u) << options[i];
        EXPECT_FALSE(parts[0].empty());
        EXPECT_EQ(parts[1], std::to_string(i));
        labels.insert(parts[0]);
    }
    EXPECT_EQ(labels.size(), 6u);
    EXPECT_EQ(split(options[0], '@')[0], "Stock (no aero)");
}

}  // namespace
