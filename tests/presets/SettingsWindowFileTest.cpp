// Settings-window file edits of preset creation and deletion: bytes out and console lines.
#include <gtest/gtest.h>

#include "presets/SettingsWindowFile.h"

namespace {

using Lines = std::vector<std::string>;

const char* const kExists = "Preset name already exists! Overwriting slider values!";
const char* const kBase = "Cannot overwrite base preset. Choose a different name.";

TEST(SettingsWindowFile, CreateAppendsTheEntryToPresetLinesAndWritesCrLf) {
    const struct {
        const char* what;
        std::string in, name, out;
        Lines messages;
        bool accepted;
    } cases[] = {
        {"LF input",
         "Wingleaf\n6|Preset|wl_preset|X@0&Y@1\n1|On|wl_enabled\n",
         "Mine",
         "Wingleaf\r\n6|Preset|wl_preset|X@0&Y@1&Mine@Mine\r\n1|On|wl_enabled\r\n",
         {},
         true},
        {"CR LF input",
         "Wingleaf\r\n6|Preset|wl_preset|X@0&Y@1\r\n\r\n8\r\n",
         "Mine",
         "Wingleaf\r\n6|Preset|wl_preset|X@0&Y@1&Mine@Mine\r\n\r\n8\r\n",
         {},
         true},
        {"no final line end",
         "T\n6|P|wl_preset|X@0",
         "My Glide",
         "T\r\n6|P|wl_preset|X@0&My Glide@My Glide\r\n",
         {},
         true},
        {"no preset line",
         "T\n4|Speed|wl_speed|0|10\n",
         "Mine",
         "T\r\n4|Speed|wl_speed|0|10\r\n",
         {},
         true},
        {"empty file", "", "Mine", "", {}, true},
        {"already listed",
         "T\n6|P|wl_preset|X@0&Mine@Mine&Z@9\n",
         "Mine",
         "T\r\n6|P|wl_preset|X@0&Mine@Mine&Z@9\r\n",
         {kExists},
         true},
        {"two preset lines",
         "wl_preset|X@0\nwl_preset|A@1&Mine@Mine\n",
         "Mine",
         "wl_preset|X@0&Mine@Mine\r\nwl_preset|A@1&Mine@Mine\r\n",
         {kExists},
         true},
        {"base label", "T\n6|P|wl_preset|Glide@1&Hover@2\n8\n", "Glide", "T\r\n", {kBase}, false},
        {"entry only on a line without wl_preset",
         "6|x|Mine@Mine\nwl_preset|X@0\n",
         "Mine",
         "6|x|Mine@Mine\r\nwl_preset|X@0&Mine@Mine\r\n",
         {},
         true},
    };
    for (const auto& c : cases) {
        const CreateEdit edit = editForCreate(c.in, c.name);
        EXPECT_EQ(edit.output, c.out) << c.what;
        EXPECT_EQ(edit.messages, c.messages) << c.what;
        EXPECT_EQ(edit.accepted, c.accepted) << c.what;
    }
}

// Only a whole label or value protects an option: a name that merely ends or starts one is free.
TEST(SettingsWindowFile, OnlyAWholeOptionOfThePresetLineRefusesAName) {
    const std::string installed =
        "6|Preset|wl_preset|Stock (no aero)@0&Light glide@1&Fast heavy-drag flier@2&"
        "High-lift glider, no boost@3&Flat wide wing@4&Dense air, all drag, no boost@5&"
        "MyGlide@MyGlide\r\n1|Enable wingleaf|wl_enabled\r\n";
    for (const char* name :
         {"glide", "boost", "no boost", "wing", "e", "Glide", "Stock", "Light", "6"}) {
        EXPECT_TRUE(editForCreate(installed, name).accepted) << name;
        const DeleteEdit edit = editForDelete(installed, name);
        EXPECT_EQ(edit.messages, Lines{}) << name;
        EXPECT_FALSE(edit.base) << name;
    }
    for (const char* name :
         {"Stock (no aero)", "Light glide", "Dense air, all drag, no boost", "0"}) {
        EXPECT_FALSE(editForCreate(installed, name).accepted) << name;
        EXPECT_TRUE(editForDelete(installed, name).base) << name;
    }
}

TEST(SettingsWindowFile, DeleteRemovesOnlyTheFirstExactEntryOfEachLine) {
    const struct {
        const char* what;
        std::string in, name, out;
        Lines messages;
        bool found, base;
    } cases[] = {
        {"created then deleted",
         "T\n6|P|wl_preset|X@0&Y@1&Mine@Mine\n",
         "Mine",
         "T\r\n6|P|wl_preset|X@0&Y@1\r\n",
         {"Removing Mine from wingleaf.set!"},
         true,
         false},
        {"exact entry only",
         "wl_preset|&ab@ab&abc@abc\r\n",
         "ab",
         "wl_preset|&abc@abc\r\n",
         {"Removing ab from wingleaf.set!"},
         true,
         false},
        {"longer name first",
         "wl_preset|&abc@abc&ab@ab\r\n",
         "ab",
         "wl_preset|&abc@abc\r\n",
         {"Removing ab from wingleaf.set!"},
         true,
         false},
        {"twice on a line",
         "wl_preset|X@0&Mine@Mine&Mine@Mine\n",
         "Mine",
         "wl_preset|X@0&Mine@Mine\r\n",
         {"Removing Mine from wingleaf.set!"},
         true,
         false},
        {"any line",
         "9|&Mine@Mine\nwl_preset|X@0&Mine@Mine\n",
         "Mine",
         "9|\r\nwl_preset|X@0\r\n",
         {"Removing Mine from wingleaf.set!", "Removing Mine from wingleaf.set!"},
         true,
         false},
        {"not listed", "T\nwl_preset|X@0\n", "Mine", "T\r\nwl_preset|X@0\r\n", {}, false, false},
        {"base label",
         "T\nwl_preset|Glide@1\nGlide@2\n",
         "Glide",
         "T\r\nwl_preset|Glide@1\r\nGlide@2\r\n",
         {"Cannot remove base preset!"},
         false,
         true},
        {"entry and label",
         "wl_preset|Glide@1\nwl_preset|&Glide@Glide\n",
         "Glide",
         "wl_preset|Glide@1\r\nwl_preset|\r\n",
         {"Cannot remove base preset!", "Removing Glide from wingleaf.set!"},
         true,
         true},
    };
    for (const auto& c : cases) {
        const DeleteEdit edit = editForDelete(c.in, c.name);
        EXPECT_EQ(edit.output, c.out) << c.what;
        EXPECT_EQ(edit.messages, c.messages) << c.what;
        EXPECT_EQ(edit.found, c.found) << c.what;
        EXPECT_EQ(edit.base, c.base) << c.what;
    }
}

TEST(SettingsWindowFile, LinesSplitAtLfWithOptionalCr) {
    const struct {
        std::string in;
        std::vector<std::string_view> lines;
    } cases[] = {
        {"", {}},           {"a", {"a"}},
        {"a\n", {"a"}},     {"a\r\n\r\nb", {"a", "", "b"}},
        {"\n\n", {"", ""}}, {"a\rb\r\r\n", {"a\rb\r"}},
    };
    for (const auto& c : cases) EXPECT_EQ(splitSettingsLines(c.in), c.lines) << c.in;
}

}  // namespace
