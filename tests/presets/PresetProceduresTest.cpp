// Creation, deletion and reading of presets on real files: console lines, file bytes and faults.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <sstream>
#include <thread>

#include "console/Console.h"
#include "console/SettingsWindows.h"
#include "presets/FileSystem.h"
#include "presets/PresetProcedures.h"
#include "wltest/HostRunner.h"

namespace fs = std::filesystem;
using wltest::readFile;
using wltest::writeFile;

namespace {

using Lines = std::vector<std::string>;

const std::string kSettings =
    "Wingleaf\r\n1|Enable|wl_enabled\r\n6|Preset|wl_preset|Stock@0&Glide@1&Hover@2\r\n8\r\n";
const std::string kExistsDir = "Directory wingleaf already exists. Attemtping to create preset...";
const std::string kRefresh = "cl_settings_refreshplugins";
const std::string kUnsafe =
    "Invalid preset name. A name must not be empty, longer than 100 bytes, a number such as 3 or "
    "inf, or a device name such as CON, and must not contain control characters, \"..\" or any "
    "of / \\ : & @ | < > \" ? *";

SliderValues values(float first) {
    SliderValues v;
    v[Slider::speed] = first;
    return v;
}

// One installation in a fresh directory, with the console lines and commands it received.
class PresetDisk : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root = wltest::freshRoot(std::string("procedures-") + info->name());
        fs::create_directories(root / "bakkesmod/plugins/settings");
        // The plug-in's own paths, below the test's folder.
        const auto under = [this](const char* path) {
            return (root / path).lexically_normal().string();
        };
        io.paths.directory = under(kPresetDirectory);
        io.paths.settings = under(kSettingsPath);
        io.paths.temp = under(kTempSettingsPath);
        io.paths.oldTemp = under(kOldTempSettingsPath);
        io.paths.presetTemp = under(kTempPresetPath);
        io.log = [this](const std::string& line) { log.push_back(line); };
        io.execute = [this](const std::string& command) { commands.push_back(command); };
        writeFile(io.paths.settings, kSettings);
    }
    std::string settings() const { return readFile(io.paths.settings); }
    std::string presetFile(const std::string& name) const {
        return readFile(presetFilePath(io.paths.directory, name));
    }
    bool tempExists() const { return fs::exists(fs::symlink_status(io.paths.temp)); }
    void clear() {
        log.clear();
        commands.clear();
    }

    fs::path root;
    PresetIo io;
    Lines log, commands;
};

TEST_F(PresetDisk, CreateOnAFreshInstallation) {
    createPreset(io, "My Glide", kBasePresets[1]);
    EXPECT_EQ(log, (Lines{"Created wingleaf directory.", "Wrote to tmp.set",
                          "Updated wingleaf.set permissions.", "wingleaf.set successfully deleted",
                          "Preset My Glide added to wingleaf.set!", "Wrote to My Glide.txt"}));
    EXPECT_EQ(commands, Lines{kRefresh});
    EXPECT_EQ(settings(),
              "Wingleaf\r\n1|Enable|wl_enabled\r\n"
              "6|Preset|wl_preset|Stock@0&Glide@1&Hover@2&My Glide@My Glide\r\n8\r\n");
    EXPECT_EQ(presetFile("My Glide"),
              "2.067 0.577 0.035 0.978 1.218 0.481 0.065 0.065 0.321 0.321 0.304 0.240 0.171 "
              "6.724 ");
    EXPECT_FALSE(tempExists());
    struct stat st {};
    ASSERT_EQ(::stat(io.paths.settings.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST_F(PresetDisk, CreateTwiceOverwritesValuesAndListsTheNameOnce) {
    fs::create_directories(io.paths.directory);
    createPreset(io, "Mine", values(2));
    const std::string once = settings();
    clear();
    createPreset(io, "Mine", values(0.12345f));
    EXPECT_EQ(log, (Lines{kExistsDir, "Preset name already exists! Overwriting slider values!",
                          "Wrote to tmp.set", "Updated wingleaf.set permissions.",
                          "wingleaf.set successfully deleted", "Wrote to Mine.txt"}));
    EXPECT_EQ(commands, Lines{kRefresh});
    EXPECT_EQ(settings(), once);
    EXPECT_EQ(presetFile("Mine").substr(0, 12), "0.123 1.000 ");
}

TEST_F(PresetDisk, CreateRefusesBaseLabelsAndUnsafeNamesWithoutTouchingAnything) {
    fs::create_directories(io.paths.directory);
    for (const std::string name : {"Glide", "Stock"}) {
        clear();
        createPreset(io, name, values(3));
        EXPECT_EQ(log,
                  (Lines{kExistsDir, "Cannot overwrite base preset. Choose a different name."}))
            << name;
        EXPECT_TRUE(commands.empty());
        EXPECT_EQ(settings(), kSettings);
        EXPECT_FALSE(fs::exists(presetFilePath(io.paths.directory, name)));
        EXPECT_FALSE(tempExists());
    }
    fs::remove_all(io.paths.directory);  // the lock file stays after a change
    for (const std::string& name :
         std::vector<std::string>{"", "../escape", "..", "a/b", "a\\b", "C:evil", "a&b", "a@b",
                                  "a|b", "a\nb", "NUL", "a?", std::string(300, 'n')}) {
        clear();
        createPreset(io, name, values(3));
        deletePreset(io, name);
        EXPECT_EQ(log, (Lines{kUnsafe, kUnsafe})) << name;
        EXPECT_TRUE(commands.empty());
        EXPECT_EQ(settings(), kSettings);
        EXPECT_FALSE(fs::exists(io.paths.directory)) << name;
        EXPECT_FALSE(tempExists());
    }
    EXPECT_FALSE(fs::exists(root / "bakkesmod/escape.txt"));
}

// Listed names always have their values: a crash after any step never lists a name without them.
TEST_F(PresetDisk, CreateWritesTheValuesBeforeTheNameIsListed) {
    std::string atListing;
    io.log = [&](const std::string& line) {
        if (line == "Wrote to tmp.set") atListing = presetFile("Mine");
    };
    createPreset(io, "Mine", kBasePresets[1]);
    EXPECT_EQ(atListing, formatPresetFile(kBasePresets[1]));
}

// Names that read as numbers are refused for new presets only: one listed before stays readable
// and deletable.
TEST_F(PresetDisk, NumberNamesAreRefusedButOldOnesCanStillBeDeleted) {
    for (const char* name : {"3", "007", "+1", "1e999", "Infinity", "-inf", "nan"}) {
        clear();
        createPreset(io, name, values(3));
        EXPECT_EQ(log, Lines{kUnsafe}) << name;
        EXPECT_EQ(settings(), kSettings);
        EXPECT_FALSE(fs::exists(io.paths.directory)) << name;
    }
    writeFile(io.paths.settings, "6|Preset|wl_preset|Stock@0&inf@inf\r\n");
    writeFile(presetFilePath(io.paths.directory, "inf"), "2 ");
    SliderValues v{};
    EXPECT_EQ(readPresetFile(io.paths, "inf", v), std::optional<std::size_t>(1));
    clear();
    deletePreset(io, "inf");
    EXPECT_EQ(settings(), "6|Preset|wl_preset|Stock@0\r\n");
    EXPECT_FALSE(fs::exists(presetFilePath(io.paths.directory, "inf")));
}

// Another program's change holds the lock: a change waits for it, and gives up after the wait
// with one line and nothing changed.
TEST_F(PresetDisk, ChangesWaitForTheLockAndGiveUpWithoutChangingAnything) {
    fs::create_directories(io.paths.directory);
    createPreset(io, "Old", values(1));
    const std::string listed = settings();
    const std::string lockPath = presetLockPath(io.paths.directory);
    io.lockWait = std::chrono::milliseconds(100);
    const std::string busy = "Another program is changing the presets (" + lockPath +
                             " stayed locked). Nothing was changed; try again.";
    {
        wlfs::FileLock other;
        std::string error;
        ASSERT_EQ(other.acquire(lockPath, std::chrono::milliseconds(0), error),
                  wlfs::LockResult::Locked);
        for (const bool create : {true, false}) {
            clear();
            if (create)
                createPreset(io, "New", values(2));
            else
                deletePreset(io, "Old");
            EXPECT_EQ(log, (create ? Lines{kExistsDir, busy} : Lines{busy}));
            EXPECT_TRUE(commands.empty());
            EXPECT_EQ(settings(), listed);
            EXPECT_FALSE(fs::exists(presetFilePath(io.paths.directory, "New")));
            EXPECT_TRUE(fs::exists(presetFilePath(io.paths.directory, "Old")));
        }
    }
    // Released while a change waits: the change goes ahead.
    io.lockWait = std::chrono::milliseconds(5000);
    auto other = std::make_shared<wlfs::FileLock>();
    std::string error;
    ASSERT_EQ(other->acquire(lockPath, std::chrono::milliseconds(0), error),
              wlfs::LockResult::Locked);
    std::thread release([other]() mutable {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        other.reset();
    });
    other.reset();
    clear();
    deletePreset(io, "Old");
    release.join();
    EXPECT_EQ(settings(), kSettings);
}

// A host that lists its settings windows while a change writes the new settings file sees
// wingleaf.set alone, never the copy being written.
TEST_F(PresetDisk, TheSettingsFileBeingWrittenIsNoSettingsWindow) {
    std::ostringstream hostOut, hostErr;
    host::Console console{hostOut, hostErr};
    Lines seen;
    io.log = [&](const std::string& line) {
        if (line.rfind("Wrote to tmp.set", 0) != 0) return;
        EXPECT_TRUE(tempExists());
        host::SettingsWindows windows;
        windows.refresh(fs::path(io.paths.settings).parent_path(), console);
        for (const host::SettingsWindow& window : windows.windows()) seen.push_back(window.file);
    };
    createPreset(io, "Mine", values(2));
    deletePreset(io, "Mine");
    EXPECT_EQ(seen, (Lines{"wingleaf.set", "wingleaf.set"}));
    EXPECT_EQ(hostErr.str(), "");
}

// A pipe at the lock file would hold every change until something wrote to it: it is refused at
// once, as a directory there is, and nothing changes.
TEST_F(PresetDisk, APipeAtTheLockFileIsRefusedAtOnce) {
    createPreset(io, "Old", values(1));
    const std::string listed = settings();
    const std::string lockPath = presetLockPath(io.paths.directory);
    fs::remove(lockPath);
    ASSERT_EQ(::mkfifo(lockPath.c_str(), 0644), 0);
    clear();
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    std::thread change([&] {
        deletePreset(io, "Old");
        done.set_value();
    });
    int writer = -1;
    if (finished.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << "the change waited for a writer to the pipe";
        writer = ::open(lockPath.c_str(), O_WRONLY | O_NONBLOCK);  // lets it go on
    }
    change.join();
    if (writer >= 0) ::close(writer);
    EXPECT_EQ(log,
              Lines{"Error locking " + lockPath + ": Not a regular file. Nothing was changed."});
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(settings(), listed);
    EXPECT_TRUE(fs::exists(presetFilePath(io.paths.directory, "Old")));
}

// Temporary files a crash left are removed at load, silently; a failure says which file stays.
TEST_F(PresetDisk, LeftoversOfACrashAreRemovedUnlessAChangeIsUnderWay) {
    fs::create_directories(io.paths.directory);
    writeFile(io.paths.temp, "half a settings fi");
    writeFile(io.paths.oldTemp, "an older version's half settings fi");
    writeFile(io.paths.presetTemp, "1.000 2.0");
    {
        wlfs::FileLock other;
        std::string error;
        ASSERT_EQ(
            other.acquire(presetLockPath(io.paths.directory), std::chrono::milliseconds(0), error),
            wlfs::LockResult::Locked);
        removeLeftovers(io);
        EXPECT_TRUE(tempExists());
    }
    removeLeftovers(io);
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(tempExists());
    EXPECT_FALSE(fs::exists(io.paths.oldTemp));
    EXPECT_FALSE(fs::exists(io.paths.presetTemp));

    fs::create_directories(io.paths.temp + "/inside");
    removeLeftovers(io);
    EXPECT_EQ(log,
              Lines{"Error removing " + io.paths.temp + ": Is a directory. Delete it by hand."});
    EXPECT_EQ(settings(), kSettings);
}

TEST_F(PresetDisk, CreateWithoutSettingsFileStillWritesThePresetFile) {
    // No settings file: the list is left alone, the preset file is still written.
    fs::remove(io.paths.settings);
    createPreset(io, "Mine", values(2));
    EXPECT_EQ(log,
              (Lines{"Created wingleaf directory.",
                     "Error opening wingleaf.set files. Close wingleaf.set if open in an editor.",
                     "Wrote to Mine.txt"}));
    EXPECT_EQ(commands, Lines{kRefresh});
    EXPECT_FALSE(fs::exists(io.paths.settings));
    EXPECT_FALSE(tempExists());
}

TEST_F(PresetDisk, DeleteAListedPresetThenAgain) {
    createPreset(io, "Mine", values(2));
    clear();
    deletePreset(io, "Mine");
    EXPECT_EQ(log, (Lines{"Removing Mine from wingleaf.set!", "Wrote to tmp.set...",
                          "wingleaf.set successfully deleted",
                          "Moved tmp.set into wingleaf.set! Preset Mine removed!"}));
    EXPECT_EQ(commands, Lines{kRefresh});
    EXPECT_EQ(settings(), kSettings);
    EXPECT_FALSE(fs::exists(presetFilePath(io.paths.directory, "Mine")));
    EXPECT_FALSE(tempExists());

    clear();
    deletePreset(io, "Mine");
    EXPECT_EQ(log, (Lines{"Removed tmp.set", "Preset not found. Check your preset name!"}));
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(settings(), kSettings);
    EXPECT_FALSE(tempExists());
}

TEST_F(PresetDisk, DeleteABaseLabelOrAPresetWithoutItsFile) {
    deletePreset(io, "Glide");
    EXPECT_EQ(log, (Lines{"Cannot remove base preset!", "Removed tmp.set"}));
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(settings(), kSettings);

    createPreset(io, "Mine", values(2));
    fs::remove(presetFilePath(io.paths.directory, "Mine"));
    clear();
    deletePreset(io, "Mine");
    EXPECT_EQ(log, (Lines{"Removing Mine from wingleaf.set!", "Wrote to tmp.set...",
                          "wingleaf.set successfully deleted",
                          "Moved tmp.set into wingleaf.set! Preset Mine removed!",
                          "Failed to remove file: wingleaf/Mine.txt"}));
    EXPECT_EQ(commands, Lines{kRefresh});
    EXPECT_EQ(settings(), kSettings);
}

// A crash between writing a new preset's file and listing it leaves a file no entry lists: deleting
// the name removes it, creating the name replaces it.
TEST_F(PresetDisk, AFileNoEntryListsIsRemovedByDeleteAndReplacedByCreate) {
    fs::create_directories(io.paths.directory);
    writeFile(presetFilePath(io.paths.directory, "Left"), "9 ");
    deletePreset(io, "Left");
    EXPECT_EQ(log, (Lines{"Removed tmp.set",
                          "Preset Left was not in wingleaf.set; removed its "
                          "leftover file wingleaf/Left.txt"}));
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(settings(), kSettings);
    EXPECT_FALSE(fs::exists(presetFilePath(io.paths.directory, "Left")));
    // A folder is no preset file: it stays.
    fs::create_directories(presetFilePath(io.paths.directory, "Folder"));
    clear();
    deletePreset(io, "Folder");
    EXPECT_EQ(log, (Lines{"Removed tmp.set", "Preset not found. Check your preset name!"}));
    EXPECT_TRUE(fs::is_directory(presetFilePath(io.paths.directory, "Folder")));

    writeFile(presetFilePath(io.paths.directory, "Left"), "9 ");
    createPreset(io, "Left", values(2));
    EXPECT_EQ(presetFile("Left"), formatPresetFile(values(2)));
    EXPECT_NE(settings().find("&Left@Left\r\n"), std::string::npos);
}

TEST_F(PresetDisk, DeleteWithoutSettingsFileStillRemovesThePresetFile) {
    createPreset(io, "Mine", values(2));
    fs::remove(io.paths.settings);
    clear();
    deletePreset(io, "Mine");
    EXPECT_EQ(
        log, (Lines{"Error opening wingleaf.set files. Close wingleaf.set if open in an editor."}));
    EXPECT_EQ(commands, Lines{kRefresh});
    EXPECT_FALSE(fs::exists(presetFilePath(io.paths.directory, "Mine")));
}

TEST_F(PresetDisk, ReadingAPresetFile) {
    fs::create_directories(io.paths.directory);
    writeFile(presetFilePath(io.paths.directory, "sixteen"),
              "1.000\n2.000\n3.000\n4.000\n5.000\n6.000\n7.000\n8.000\n9.000\n10.000\n11.000\n"
              "12.000\n13.000\n14.000\n15.000\n16.000\n");
    writeFile(presetFilePath(io.paths.directory, "short"), "4 5 x 6");
    writeFile(presetFilePath(io.paths.directory, "a b"), "9");
    SliderValues v{};
    EXPECT_EQ(readPresetFile(io.paths, "sixteen", v), std::optional<std::size_t>(14));
    EXPECT_EQ(formatPresetFile(v),
              "1.000 2.000 3.000 4.000 5.000 6.000 7.000 8.000 9.000 10.000 "
              "11.000 12.000 13.000 14.000 ");
    for (Slider slider : kSliders) v[slider] = 0.5f;
    EXPECT_EQ(readPresetFile(io.paths, "short", v), std::optional<std::size_t>(2));
    EXPECT_EQ(v[Slider::boost], 5.0f);
    EXPECT_EQ(v[Slider::air_density], 0.5f);
    EXPECT_EQ(readPresetFile(io.paths, "a b", v), std::optional<std::size_t>(1));
    EXPECT_EQ(readPresetFile(io.paths, "missing", v), std::nullopt);
    writeFile(root / "bakkesmod/outside.txt", "1 2 3");
    EXPECT_EQ(readPresetFile(io.paths, "../outside", v), std::nullopt);
}

// Selection reads the start of a regular file only: a device, a pipe or a huge file neither
// grows memory nor blocks the game, and a number cut by the end of that start is not read.
TEST_F(PresetDisk, ReadingOnlyTheStartOfARegularFile) {
    fs::create_directories(io.paths.directory);
    const auto at = [this](const std::string& name) {
        return presetFilePath(io.paths.directory, name);
    };
    fs::create_symlink("/dev/zero", at("zero"));
    ASSERT_EQ(::mkfifo(at("pipe").c_str(), 0644), 0);
    writeFile(at("far"), std::string(8192, ' ') + "1 2 3");
    writeFile(at("cut"), "1.5" + std::string(4091, ' ') + "2.25");
    writeFile(at("linked target"), "7 8");
    fs::create_symlink(at("linked target"), at("linked"));
    const struct {
        const char* name;
        std::optional<std::size_t> count;
    } cases[] = {
        {"zero", std::nullopt}, {"pipe", std::nullopt}, {"far", 0}, {"cut", 1}, {"linked", 2}};
    for (const auto& c : cases) {
        // On a thread of its own, so that a read that blocks fails the test instead of hanging it.
        auto task = std::make_shared<std::packaged_task<std::optional<std::size_t>()>>(
            [paths = io.paths, name = std::string(c.name)] {
                SliderValues v{};
                return readPresetFile(paths, name, v);
            });
        auto result = task->get_future();
        std::thread([task] { (*task)(); }).detach();
        ASSERT_EQ(result.wait_for(std::chrono::seconds(5)), std::future_status::ready) << c.name;
        EXPECT_EQ(result.get(), c.count) << c.name;
    }
}

}  // namespace
