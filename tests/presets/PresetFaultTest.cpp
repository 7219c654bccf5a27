// Every write of the preset procedures against every fault the disk can put in its way: the bytes
// of every file before and after, and the console lines. Nothing may be lost, and every failure
// must be reported as one.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <ostream>

#include "wltest/FaultLayout.h"
#include "presets/PresetProcedures.h"
#include "wltest/HostRunner.h"

namespace fs = std::filesystem;
using namespace wltest::faults;

namespace {

using Lines = std::vector<std::string>;
using Tree = std::map<std::string, std::string>;
// Entries a cell changes: new content, or nullopt for an entry that is gone.
using Changes = std::map<std::string, std::optional<std::string>>;

const std::string kValues =
    "2.067 0.577 0.035 0.978 1.218 0.481 0.065 0.065 0.321 0.321 0.304 0.240 0.171 6.724 ";

// File sizes a cell may allow: below every new file, or between the settings file and a preset
// file (84 bytes).
constexpr rlim_t kBelowAll = 20;
constexpr rlim_t kBelowPresetFile = 70;

const std::string kTempTooLarge =
    "Error writing wingleaf.set.tmp: File too large. wingleaf.set was not changed.";
const std::string kCrossDevice =
    "Failed to rename tmp.set to wingleaf.set: Invalid cross-device link";
const std::string kTempInTheWay =
    "Error creating {tmp}: Is a directory. wingleaf.set was not changed.";
const Lines& kCreateNew = kCreatedLines;
const Lines& kOverwrite = kOverwrittenLines;
const Lines& kDelete = kDeletedLines;

// The first n lines of a run.
Lines upTo(const Lines& lines, std::size_t n, const Lines& then = {}) {
    Lines out(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(n));
    out.insert(out.end(), then.begin(), then.end());
    return out;
}

// Files by content (with their permission bits unless 0644), directories, links and pipes.
Tree tree(const fs::path& root) {
    Tree t;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        const std::string name = fs::relative(it->path(), root).generic_string();
        const fs::file_status status = it->symlink_status();
        if (fs::is_symlink(status)) {
            t[name] = "<link " + fs::read_symlink(it->path()).string() + ">";
        } else if (fs::is_directory(status)) {
            t[name] = "<dir>";
        } else if (fs::is_fifo(status)) {
            t[name] = "<fifo>";
        } else {
            t[name] = wltest::readFile(it->path());
            struct stat st {};
            if (::stat(it->path().c_str(), &st) == 0 && (st.st_mode & 07777) != 0644)
                t[name] += " <mode " + std::to_string(st.st_mode & 07777) + ">";
        }
    }
    return t;
}

enum class Op { CreateNew, Overwrite, Delete };

// One installation: the settings file listing Old, Old's preset file and a file outside.
struct Disk {
    fs::path root;
    PresetIo io;
    Lines log, commands;
    // Runs after each console line is recorded: the moment to put something in the way.
    std::function<void(const std::string&)> onLog;

    explicit Disk(const std::string& name) : root(wltest::freshRoot("fault-" + name)) {
        io.paths.directory = (root / "bakkesmod/wingleaf").string();
        io.paths.settings = at(kSet);
        io.paths.temp = at(kTmp);
        io.paths.presetTemp = at(kPresetTmp);
        io.log = [this](const std::string& line) {
            log.push_back(line);
            if (onLog) onLog(line);
        };
        io.execute = [this](const std::string& command) { commands.push_back(command); };
        wltest::writeFile(at(kSet), kListed);
        wltest::writeFile(at(kOld), kOldValues);
        wltest::writeFile(at(kOutside), "outside");
        wltest::writeFile(at(kLock), "");  // as every change leaves it
    }
    std::string at(const std::string& relative) const { return (root / relative).string(); }
    // Puts a non-empty directory at `relative`.
    void directoryAt(const std::string& relative) const {
        fs::remove(at(relative));
        fs::create_directories(at(relative) + "/inside");
    }
    void linkAt(const std::string& relative, const fs::path& target) const {
        fs::remove(at(relative));
        fs::create_symlink(target, at(relative));
    }
    // Replaces a temporary file with a directory once `trigger` is logged: it cannot be removed.
    void blockRemovalAfter(const std::string& trigger, const std::string& relative) {
        onLog = [this, trigger, relative](const std::string& line) {
            if (line.rfind(trigger, 0) == 0) directoryAt(relative);
        };
    }
};

// A temporary file on another file system than the installation, which no rename can move.
std::string otherFileSystem(const fs::path& root, const std::string& name) {
    struct stat shm {
    }, here{};
    if (::stat("/dev/shm", &shm) != 0 || ::stat(root.c_str(), &here) != 0 ||
        shm.st_dev == here.st_dev || ::access("/dev/shm", W_OK) != 0)
        return "";
    const std::string path = "/dev/shm/wingleaf-" + std::to_string(::getpid()) + "-" + name;
    wltest::removeAfterTest(path);
    return path;
}

struct Cell {
    std::string name;
    Op op;
    std::function<void(Disk&)> setup;
    Lines lines;  // "{tmp}", "{preset.tmp}" and "{lock}" stand for those paths
    bool refresh;
    Changes changes;
    rlim_t fileSizeLimit = RLIM_INFINITY;
    bool renameRefused = false;  // the cell's temporary file lives on another file system
};

void PrintTo(const Cell& cell, std::ostream* os) {
    *os << cell.name;
}

std::vector<Cell> cells() {
    const auto none = [](Disk&) {};
    return {
        // Settings file.
        {"settings_link_at_temp_to_settings",
         Op::CreateNew,
         [](Disk& d) { d.linkAt(kTmp, "wingleaf.set"); },
         kCreateNew,
         true,
         {{kSet, kWithNew}, {kNew, kValues}, {kTmp, std::nullopt}}},
        {"settings_link_at_temp_to_outside",
         Op::Overwrite,
         [](Disk& d) { d.linkAt(kTmp, d.at(kOutside)); },
         kOverwrite,
         true,
         {{kOld, kValues}, {kTmp, std::nullopt}}},
        {"settings_link_at_temp_on_delete",
         Op::Delete,
         [](Disk& d) { d.linkAt(kTmp, "wingleaf.set"); },
         kDelete,
         true,
         {{kSet, kWithoutOld}, {kOld, std::nullopt}, {kTmp, std::nullopt}}},
        {"settings_link_at_target",
         Op::CreateNew,
         [](Disk& d) {
             wltest::writeFile(d.at("linked.set"), kListed);
             fs::permissions(d.at("linked.set"), fs::perms(0600));
             d.linkAt(kSet, "../../../linked.set");
         },
         kCreateNew,
         true,
         {{kSet, kWithNew}, {kNew, kValues}}},
        {"settings_link_at_target_on_delete",
         Op::Delete,
         [](Disk& d) {
             wltest::writeFile(d.at("linked.set"), kListed);
             d.linkAt(kSet, "../../../linked.set");
         },
         kDelete,
         true,
         {{kSet, kWithoutOld}, {kOld, std::nullopt}}},
        {"settings_full_device",
         Op::CreateNew,
         none,
         {kExists, "Error writing preset file New.txt: File too large"},
         false,
         {},
         kBelowAll},
        {"settings_full_device_on_delete",
         Op::Delete,
         none,
         {"Removing Old from wingleaf.set!", kTempTooLarge, kOldKept},
         true,
         {},
         kBelowAll},
        {"settings_full_device_temp_stays",
         Op::Delete,
         [](Disk& d) { d.blockRemovalAfter("Error writing wingleaf.set.tmp", kTmp); },
         {"Removing Old from wingleaf.set!", kTempTooLarge,
          "Error removing {tmp}: Is a directory. Delete it by hand.", kOldKept},
         true,
         {{kTmp, "<dir>"}, {kTmp + "/inside", "<dir>"}},
         kBelowAll},
        {"settings_directory_at_temp",
         Op::CreateNew,
         [](Disk& d) { d.directoryAt(kTmp); },
         {kExists, kTempInTheWay, "Wrote to New.txt"},
         true,
         {{kNew, kValues}}},
        {"settings_directory_at_temp_on_delete",
         Op::Delete,
         [](Disk& d) { d.directoryAt(kTmp); },
         {kTempInTheWay, kOldKept},
         true,
         {}},
        {"settings_directory_at_target",
         Op::CreateNew,
         [](Disk& d) { d.directoryAt(kSet); },
         {kExists, "Error reading wingleaf.set: Is a directory. wingleaf.set was not changed.",
          "Wrote to New.txt"},
         true,
         {{kNew, kValues}}},
        {"settings_directory_at_target_on_delete",
         Op::Delete,
         [](Disk& d) { d.directoryAt(kSet); },
         {"Error reading wingleaf.set: Is a directory. wingleaf.set was not changed.", kOldKept},
         true,
         {}},
        {"settings_over_size_limit",
         Op::CreateNew,
         [](Disk& d) { wltest::writeFile(d.at(kSet), kListed + std::string(std::size_t{4} << 20, '#')); },
         {kExists, "Error reading wingleaf.set: File too large. wingleaf.set was not changed.",
          "Wrote to New.txt"},
         true,
         {{kNew, kValues}}},
        {"settings_rename_refused",
         Op::CreateNew,
         none,
         {kExists, "Wrote to tmp.set", "Updated wingleaf.set permissions.", kCrossDevice},
         false,
         {},
         RLIM_INFINITY,
         true},
        {"settings_rename_refused_overwritten",
         Op::Overwrite,
         none,
         {kExists, "Preset name already exists! Overwriting slider values!", "Wrote to tmp.set",
          "Updated wingleaf.set permissions.", kCrossDevice, "Wrote to Old.txt"},
         true,
         {{kOld, kValues}},
         RLIM_INFINITY,
         true},
        {"settings_rename_refused_on_delete",
         Op::Delete,
         none,
         {"Removing Old from wingleaf.set!", "Wrote to tmp.set...", kCrossDevice, kOldKept},
         true,
         {},
         RLIM_INFINITY,
         true},
        {"settings_unreadable_pipe",
         Op::CreateNew,
         [](Disk& d) {
             fs::remove(d.at(kSet));
             ASSERT_EQ(::mkfifo(d.at(kSet).c_str(), 0644), 0);
         },
         {kExists, "Error reading wingleaf.set: Not a regular file. wingleaf.set was not changed.",
          "Wrote to New.txt"},
         true,
         {{kNew, kValues}}},
        {"settings_unreadable_endless_on_delete",
         Op::Delete,
         [](Disk& d) { d.linkAt(kSet, "/dev/zero"); },
         {"Error reading wingleaf.set: Not a regular file. wingleaf.set was not changed.",
          kOldKept},
         true,
         {}},

        // Preset file.
        {"preset_link_at_temp_to_settings",
         Op::CreateNew,
         [](Disk& d) { d.linkAt(kPresetTmp, d.at(kSet)); },
         kCreateNew,
         true,
         {{kSet, kWithNew}, {kNew, kValues}, {kPresetTmp, std::nullopt}}},
        {"preset_link_at_temp_to_outside",
         Op::Overwrite,
         [](Disk& d) { d.linkAt(kPresetTmp, d.at(kOutside)); },
         kOverwrite,
         true,
         {{kOld, kValues}, {kPresetTmp, std::nullopt}}},
        {"preset_link_at_target",
         Op::CreateNew,
         [](Disk& d) { d.linkAt(kNew, d.at(kOutside)); },
         kCreateNew,
         true,
         {{kSet, kWithNew}, {kNew, kValues}}},
        {"preset_link_at_target_overwritten",
         Op::Overwrite,
         [](Disk& d) { d.linkAt(kOld, d.at(kOutside)); },
         kOverwrite,
         true,
         {{kOld, kValues}}},
        {"preset_link_at_target_deleted",
         Op::Delete,
         [](Disk& d) { d.linkAt(kOld, d.at(kOutside)); },
         kDelete,
         true,
         {{kSet, kWithoutOld}, {kOld, std::nullopt}}},
        {"preset_full_device",
         Op::CreateNew,
         none,
         upTo(kCreateNew, 1, {"Error writing preset file New.txt: File too large"}),
         false,
         {},
         kBelowPresetFile},
        {"preset_full_device_overwritten",
         Op::Overwrite,
         none,
         upTo(kOverwrite, 2, {"Error writing preset file Old.txt: File too large"}),
         false,
         {},
         kBelowPresetFile},
        {"preset_full_device_temp_stays",
         Op::Overwrite,
         [](Disk& d) { d.blockRemovalAfter("Error writing preset file", kPresetTmp); },
         upTo(kOverwrite, 2,
              {"Error writing preset file Old.txt: File too large",
               "Error removing {preset.tmp}: Is a directory. Delete it by hand."}),
         false,
         {{kPresetTmp, "<dir>"}, {kPresetTmp + "/inside", "<dir>"}},
         kBelowPresetFile},
        {"preset_directory_at_temp",
         Op::Overwrite,
         [](Disk& d) { d.directoryAt(kPresetTmp); },
         upTo(kOverwrite, 2, {kPresetOpenFailed}),
         false,
         {}},
        {"preset_directory_at_target",
         Op::CreateNew,
         [](Disk& d) { d.directoryAt(kNew); },
         upTo(kCreateNew, 1, {kPresetOpenFailed}),
         false,
         {}},
        {"preset_directory_at_target_deleted",
         Op::Delete,
         [](Disk& d) { d.directoryAt(kOld); },
         upTo(kDelete, 4, {"Failed to remove file: wingleaf/Old.txt"}),
         true,
         {{kSet, kWithoutOld}}},
        {"preset_rename_refused",
         Op::Overwrite,
         none,
         upTo(kOverwrite, 2, {kPresetOpenFailed}),
         false,
         {},
         RLIM_INFINITY,
         true},
        {"preset_unreadable_pipe_overwritten",
         Op::Overwrite,
         [](Disk& d) {
             fs::remove(d.at(kOld));
             ASSERT_EQ(::mkfifo(d.at(kOld).c_str(), 0644), 0);
         },
         kOverwrite,
         true,
         {{kOld, kValues}}},

        // Lock file: refused when it is not a file of ours, and nothing changes.
        {"lock_directory",
         Op::CreateNew,
         [](Disk& d) { d.directoryAt(kLock); },
         {kExists, "Error locking {lock}: Is a directory. Nothing was changed."},
         false,
         {}},
        {"lock_link_to_outside_on_delete",
         Op::Delete,
         [](Disk& d) { d.linkAt(kLock, d.at(kOutside)); },
         {"Error locking {lock}: Too many levels of symbolic links. Nothing was changed."},
         false,
         {}},
    };
}

class PresetFaults : public ::testing::TestWithParam<Cell> {};

TEST_P(PresetFaults, NothingIsLostAndEveryFailureIsReported) {
    const Cell& cell = GetParam();
    ::umask(022);
    Disk disk(cell.name);
    if (cell.renameRefused) {
        const bool presetSide = cell.name.rfind("preset", 0) == 0;
        std::string& temp = presetSide ? disk.io.paths.presetTemp : disk.io.paths.temp;
        temp = otherFileSystem(disk.root, cell.name);
        if (temp.empty()) GTEST_SKIP() << "needs /dev/shm on another file system";
    }
    cell.setup(disk);
    if (HasFatalFailure()) return;
    const Tree before = tree(disk.root);

    // A file-size limit makes every write past it fail the way a full disk does.
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit limited = old;
    limited.rlim_cur = cell.fileSizeLimit;
    ::setrlimit(RLIMIT_FSIZE, &limited);
    switch (cell.op) {
        case Op::CreateNew:
            createPreset(disk.io, "New", kBasePresets[1]);
            break;
        case Op::Overwrite:
            createPreset(disk.io, "Old", kBasePresets[1]);
            break;
        case Op::Delete:
            deletePreset(disk.io, "Old");
            break;
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    Lines expected = cell.lines;
    for (std::string& line : expected) {
        for (const auto& [mark, path] :
             {std::pair<std::string, std::string>{"{tmp}", disk.io.paths.temp},
              {"{preset.tmp}", disk.io.paths.presetTemp},
              {"{lock}", presetLockPath(disk.io.paths.directory)}})
            if (const auto at = line.find(mark); at != std::string::npos)
                line.replace(at, mark.size(), path);
    }
    EXPECT_EQ(disk.log, expected);
    EXPECT_EQ(disk.commands, cell.refresh ? Lines{"cl_settings_refreshplugins"} : Lines{});

    Tree after = before;
    for (const auto& [name, content] : cell.changes) {
        if (content)
            after[name] = *content;
        else
            after.erase(name);
    }
    EXPECT_EQ(tree(disk.root), after);
    if (cell.renameRefused) {
        EXPECT_FALSE(fs::exists(fs::symlink_status(disk.io.paths.temp)));
        EXPECT_FALSE(fs::exists(fs::symlink_status(disk.io.paths.presetTemp)));
    }
}

INSTANTIATE_TEST_SUITE_P(Matrix, PresetFaults, ::testing::ValuesIn(cells()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
