// Presets in wingleaf-host, as a person uses them: create, see, tune, select, delete.
#include <gtest/gtest.h>

#include <filesystem>

#include "wltest/HostRunner.h"

namespace fs = std::filesystem;
using wltest::readFile;

namespace {

using Lines = std::vector<std::string>;

const std::string kSettingsFile = "bakkesmod/plugins/settings/wingleaf.set";
const Lines kBaseOptions{"Stock (no aero)@0",       "Light glide@1",
                         "Fast heavy-drag flier@2", "High-lift glider, no boost@3",
                         "Flat wide wing@4",        "Dense air, all drag, no boost@5"};

// The options of every preset drop-down that sim_settings printed, one list per call.
std::vector<Lines> dropDowns(const Lines& out) {
    std::vector<Lines> lists;
    bool inside = false;
    for (const std::string& line : out) {
        if (line.find("dropdown \"Preset\" wl_preset") != std::string::npos) {
            lists.emplace_back();
            inside = true;
        } else if (inside && line.starts_with("    ")) {
            lists.back().push_back(line.substr(4));
        } else {
            inside = false;
        }
    }
    return lists;
}

Lines without(const Lines& all, const std::string& prefix) {
    Lines kept;
    for (const std::string& line : all)
        if (!line.starts_with(prefix)) kept.push_back(line);
    return kept;
}

TEST(PresetHost, CreateSeeTuneSelectDeleteAndSeeItGone) {
    const fs::path root = wltest::freshRoot("preset-host-round");
    const auto r = wltest::runHost(
        root,
        {"wl_name_preset \"My Glide\"", "wl_preset 1", "wl_create 1; wl_create 0", "sim_settings",
         "wl_speed 7; wl_lift 3", "wl_preset \"My Glide\"", "wl_speed", "wl_lift", "wl_throttle",
         "wl_delete 1", "sim_settings", "wl_speed 7", "wl_preset \"My Glide\"", "wl_speed"});
    EXPECT_EQ(r.exitCode, 0) << r.err;

    const auto lists = dropDowns(r.lines());
    ASSERT_EQ(lists.size(), 2u) << r.out;
    Lines withGlide = kBaseOptions;
    withGlide.push_back("My Glide@My Glide");
    EXPECT_EQ(lists[0], withGlide);
    EXPECT_EQ(lists[1], kBaseOptions);

    const Lines log = without(without(r.lines(), "  "), "window ");
    EXPECT_EQ(log, (Lines{"Created wingleaf directory.", "Wrote to tmp.set",
                          "Updated wingleaf.set permissions.", "wingleaf.set successfully deleted",
                          "Preset My Glide added to wingleaf.set!", "Wrote to My Glide.txt",
                          "wl_speed = 2.06700", "wl_lift = 0.17100", "wl_throttle = 6.72400",
                          "Removing My Glide from wingleaf.set!", "Wrote to tmp.set...",
                          "wingleaf.set successfully deleted",
                          "Moved tmp.set into wingleaf.set! Preset My Glide removed!",
                          "wl_speed = 7", "Debug5 statement"}));
    EXPECT_FALSE(fs::exists(root / "bakkesmod/wingleaf/My Glide.txt"));
}

TEST(PresetHost, SettingsFileRewrittenWithCrLfAndTheEntryAtTheEndOfThePresetLine) {
    const fs::path root = wltest::freshRoot("preset-host-bytes");
    wltest::runHost(root, {});
    const std::string installed = readFile(root / kSettingsFile);
    ASSERT_NE(installed.find("wl_preset|"), std::string::npos);
    ASSERT_EQ(installed.find('\r'), std::string::npos);

    const auto r = wltest::runHost(root, {"wl_name_preset Mine", "wl_create 1"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::string expected;
    for (char c : installed) {
        if (c != '\n') {
            expected += c;
            continue;
        }
        if (expected.rfind("wl_preset|") != std::string::npos &&
            expected.find("&Mine@Mine") == std::string::npos)
            expected += "&Mine@Mine";
        expected += "\r\n";
    }
    EXPECT_EQ(readFile(root / kSettingsFile), expected);
    EXPECT_EQ(readFile(root / "bakkesmod/wingleaf/Mine.txt"),
              "1.000 1.000 0.000 1.000 1.000 1.000 0.000 0.000 0.000 0.000 0.000 0.000 0.000 "
              "1.000 ");
}

// A link left at the temporary name, to the settings file itself or to a file elsewhere: the
// link goes, what it points to stays, and the window shows the change.
TEST(PresetHost, ALinkAtTheTemporaryNameIsReplacedNotFollowed) {
    const fs::path root = wltest::freshRoot("preset-host-link");
    const fs::path temp = root / "bakkesmod/plugins/settings/wingleaf.set.tmp";
    wltest::runHost(root, {"wl_name_preset Mine", "wl_create 1"});
    fs::create_symlink("wingleaf.set", temp);

    const auto created =
        wltest::runHost(root, {"wl_name_preset Other", "wl_create 1", "sim_settings"});
    EXPECT_EQ(without(without(created.lines(), "  "), "window "),
              (Lines{"Directory wingleaf already exists. Attemtping to create preset...",
                     "Wrote to tmp.set", "Updated wingleaf.set permissions.",
                     "wingleaf.set successfully deleted", "Preset Other added to wingleaf.set!",
                     "Wrote to Other.txt", "Debug5 statement"}));
    Lines both = kBaseOptions;
    both.push_back("Mine@Mine");
    both.push_back("Other@Other");
    EXPECT_EQ(dropDowns(created.lines()), std::vector<Lines>{both});
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(root / kSettingsFile)));
    EXPECT_FALSE(fs::exists(fs::symlink_status(temp)));

    wltest::writeFile(root / "elsewhere.txt", "keep me");
    fs::create_symlink(root / "elsewhere.txt", temp);
    const auto r = wltest::runHost(root, {"wl_name_preset Mine", "wl_delete 1", "sim_settings"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    both.erase(both.end() - 2);
    EXPECT_EQ(dropDowns(r.lines()), std::vector<Lines>{both});
    EXPECT_EQ(readFile(root / "elsewhere.txt"), "keep me");
    EXPECT_FALSE(fs::exists(fs::symlink_status(temp)));
}

}  // namespace
