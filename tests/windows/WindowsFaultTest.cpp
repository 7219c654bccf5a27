// Windows-only fault of the settings-file rewrite: a settings file held open by another
// program cannot be replaced (MoveFileExA fails), and nothing on disk may be lost.
#include <gtest/gtest.h>

#include "WineRunner.h"

namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

const std::string kSettings = "bakkesmod/plugins/settings/wingleaf.set";
const std::string kTemp = "bakkesmod/plugins/settings/tmp.set";
const std::string kListed = "Wingleaf\r\n6|Preset|wl_preset|A@0&B@1&Old@Old\r\n";
const std::string kDirectoryExists =
    "Directory wingleaf already exists. Attemtping to create preset...";
const std::string kRenameFailed = "Failed to rename tmp.set to wingleaf.set: ";

TEST(WindowsFaults, SettingsFileHeldOpenIsNotReplacedAndNothingIsLost) {
    WL_REQUIRE_WINDOWS_TOOLCHAIN();
    const auto& build = wltest::windowsBuild();
    ASSERT_TRUE(fs::exists(build.holdFileExe())) << "scripts/windows-prepare.sh builds it";

    const fs::path root = wltest::freshRoot("windows-held-settings");
    wltest::writeFile(root / kSettings, kListed);
    wltest::writeFile(root / "bakkesmod/wingleaf/Old.txt", "1 2 3");

    wltest::BackgroundProgram editor(
        {build.wine, build.holdFileExe().string(), wltest::winePath(root / kSettings)});
    ASSERT_EQ(editor.readLine(), "holding");
    const auto held = wltest::runWindowsHost(
        root, {"wl_name_preset Mine", "wl_create 1", "wl_name_preset Old", "wl_delete 1"});
    EXPECT_EQ(editor.finish(), 0);

    EXPECT_EQ(held.exitCode, 0) << held.err;
    const Lines out = wltest::consoleLines(held.out);
    ASSERT_EQ(out.size(), 9u) << held.out;
    // The reason is the system's own text, which differs between Windows versions and Wine.
    const std::string failed = out[3];
    EXPECT_EQ(failed.rfind(kRenameFailed, 0), 0u) << failed;
    EXPECT_GT(failed.size(), kRenameFailed.size());
    // The preset files are written and removed all the same: later steps run whatever the
    // rename did.
    EXPECT_EQ(out, (Lines{kDirectoryExists, "Wrote to tmp.set",
                          "Updated wingleaf.set permissions.", failed, "Wrote to Mine.txt",
                          "Removing Old from wingleaf.set!", "Wrote to tmp.set...", failed,
                          "Debug5 statement"}));

    EXPECT_EQ(wltest::readFile(root / kSettings), kListed);
    EXPECT_FALSE(fs::exists(root / kTemp));
    EXPECT_EQ(wltest::readFile(root / "bakkesmod/wingleaf/Mine.txt"),
              "1.000 1.000 0.000 1.000 1.000 1.000 0.000 0.000 0.000 0.000 0.000 0.000 0.000 1.000 ");
    EXPECT_FALSE(fs::exists(root / "bakkesmod/wingleaf/Old.txt"));

    // Once the editor lets go, the same request goes through.
    const auto released = wltest::runWindowsHost(root, {"wl_name_preset Mine", "wl_create 1"});
    EXPECT_EQ(wltest::consoleLines(released.out),
              (Lines{kDirectoryExists, "Wrote to tmp.set", "Updated wingleaf.set permissions.",
                     "wingleaf.set successfully deleted", "Preset Mine added to wingleaf.set!",
                     "Wrote to Mine.txt", "Debug5 statement"}));
    EXPECT_EQ(wltest::readFile(root / kSettings),
              "Wingleaf\r\n6|Preset|wl_preset|A@0&B@1&Old@Old&Mine@Mine\r\n");
}

}  // namespace
