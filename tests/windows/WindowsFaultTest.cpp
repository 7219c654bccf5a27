// The preset procedures' writes in wingleaf-host.exe under Wine against the faults that can be
// made there: links, directories in the way, an unreadable settings file and a file held open by
// another program (which refuses the replacement until it lets go). The bytes of every file before
// and after, and the console lines; nothing may be lost, and every failure must be reported as one.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <ostream>
#include <set>
#include <thread>

#include "WineRunner.h"
#include "wltest/FaultLayout.h"

namespace fs = std::filesystem;
using namespace wltest::faults;

namespace {

using Lines = std::vector<std::string>;
using Tree = std::map<std::string, std::string>;
// Entries a cell changes: new content, or "" for an entry that is gone.
using Changes = std::map<std::string, std::string>;

const std::string kValues =
    "1.000 1.000 0.000 1.000 1.000 1.000 0.000 0.000 0.000 0.000 0.000 0.000 0.000 1.000 ";

const Lines kCreateNew{"wl_name_preset New", "wl_create 1"};
const Lines kOverwrite{"wl_name_preset Old", "wl_create 1"};
const Lines kDelete{"wl_name_preset Old", "wl_delete 1"};

// The reason is the system's own text, which differs between Windows versions and Wine.
const std::string kRenameFailed = "Failed to rename tmp.set to wingleaf.set: *";
const std::string kUnloaded = "Debug5 statement";
const std::string kTempInTheWay = "Error creating ./bakkesmod/plugins/settings/wingleaf.set.tmp: *";
// A temporary file that cannot be removed is named when the plug-in loads.
const std::string kTempStuck = "Error removing ./bakkesmod/plugins/settings/wingleaf.set.tmp: *";
// A run's lines followed by the unload line that ends every session under Wine.
Lines unloaded(Lines lines) {
    lines.push_back(kUnloaded);
    return lines;
}
const Lines kCreatedNew = unloaded(kCreatedLines);
const Lines kOverwritten = unloaded(kOverwrittenLines);
const Lines kDeleted = unloaded(kDeletedLines);

// The first n lines of a run, then others, then the unload line.
Lines upTo(const Lines& lines, std::size_t n, const Lines& then) {
    Lines out(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(n));
    out.insert(out.end(), then.begin(), then.end());
    return unloaded(out);
}

void directoryAt(const fs::path& root, const std::string& relative) {
    fs::remove(root / relative);
    fs::create_directories(root / relative / "inside");
}

void linkAt(const fs::path& root, const std::string& relative, const fs::path& target) {
    fs::remove(root / relative);
    fs::create_symlink(target, root / relative);
}

struct Cell {
    std::string name;
    Lines session;
    std::function<void(const fs::path&)> setup;
    Lines out;  // a line ending in "*" matches any line that starts with the rest
    Changes changes;
    std::string held = "";  // a file another program holds open during the run
    // When not zero, the holder lets go this long after the change's first new file appears beside
    // the held one, as a program that reads the file for a moment does; within the plug-in's
    // patience for such readers (2 s), so that the change goes through.
    std::chrono::milliseconds release{0};
};

constexpr std::chrono::milliseconds kMoment{300};

void PrintTo(const Cell& c, std::ostream* os) {
    *os << c.name;
}

std::vector<Cell> cells() {
    const auto none = [](const fs::path&) {};
    return {
        // Settings file.
        {"settings_link_at_temp",
         kCreateNew,
         [](const fs::path& r) { linkAt(r, kTmp, "wingleaf.set"); },
         kCreatedNew,
         {{kSet, kWithNew}, {kNew, kValues}, {kTmp, ""}}},
        {"settings_link_at_temp_on_delete",
         kDelete,
         [](const fs::path& r) { linkAt(r, kTmp, "wingleaf.set"); },
         kDeleted,
         {{kSet, kWithoutOld}, {kOld, ""}, {kTmp, ""}}},
        {"settings_link_at_target",
         kCreateNew,
         [](const fs::path& r) {
             wltest::writeFile(r / "linked.set", kListed);
             linkAt(r, kSet, "../../../linked.set");
         },
         kCreatedNew,
         {{kSet, kWithNew}, {kNew, kValues}}},
        {"settings_directory_at_temp",
         kCreateNew,
         [](const fs::path& r) { directoryAt(r, kTmp); },
         {kTempStuck, kExists, kTempInTheWay, "Wrote to New.txt", kUnloaded},
         {{kNew, kValues}}},
        {"settings_directory_at_temp_on_delete",
         kDelete,
         [](const fs::path& r) { directoryAt(r, kTmp); },
         {kTempStuck, kTempInTheWay, kOldKept, kUnloaded},
         {}},
        {"settings_directory_at_target_on_delete",
         kDelete,
         [](const fs::path& r) { directoryAt(r, kSet); },
         {"Error reading wingleaf.set: Is a directory. wingleaf.set was not changed.", kOldKept,
          kUnloaded},
         {}},
        {"settings_rename_refused",
         kCreateNew,
         none,
         {kExists, "Wrote to tmp.set", "Updated wingleaf.set permissions.", kRenameFailed,
          kUnloaded},
         {},
         kSet},
        {"settings_rename_refused_on_delete",
         kDelete,
         none,
         {"Removing Old from wingleaf.set!", "Wrote to tmp.set...", kRenameFailed, kOldKept,
          kUnloaded},
         {},
         kSet},
        {"settings_unreadable_on_delete",
         kDelete,
         [](const fs::path& r) { linkAt(r, kSet, "/dev/zero"); },
         {"Error reading wingleaf.set: *", kOldKept, kUnloaded},
         {}},

        // Preset file.
        {"preset_link_at_temp",
         kOverwrite,
         [](const fs::path& r) { linkAt(r, kPresetTmp, r / kOutside); },
         kOverwritten,
         {{kOld, kValues}, {kPresetTmp, ""}}},
        {"preset_link_at_target_overwritten",
         kOverwrite,
         [](const fs::path& r) { linkAt(r, kOld, r / kOutside); },
         kOverwritten,
         {{kOld, kValues}}},
        {"preset_link_at_target_deleted",
         kDelete,
         [](const fs::path& r) { linkAt(r, kOld, r / kOutside); },
         kDeleted,
         {{kSet, kWithoutOld}, {kOld, ""}}},
        {"preset_directory_at_temp",
         kOverwrite,
         [](const fs::path& r) { directoryAt(r, kPresetTmp); },
         [] {
             Lines lines = upTo(kOverwritten, 2, {kPresetOpenFailed});
             lines.insert(lines.begin(), "Error removing ./bakkesmod/wingleaf/preset.tmp: *");
             return lines;
         }(),
         {}},
        {"preset_directory_at_target",
         kCreateNew,
         [](const fs::path& r) { directoryAt(r, kNew); },
         upTo(kCreatedNew, 1, {kPresetOpenFailed}),
         {}},
        {"preset_directory_at_target_deleted",
         kDelete,
         [](const fs::path& r) { directoryAt(r, kOld); },
         upTo(kDeleted, 4, {"Failed to remove file: wingleaf/Old.txt"}),
         {{kSet, kWithoutOld}}},
        {"preset_rename_refused",
         kOverwrite,
         none,
         upTo(kOverwritten, 2, {kPresetOpenFailed}),
         {},
         kOld},

        // Held for a moment only.
        {"settings_held_for_a_moment",
         kCreateNew,
         none,
         kCreatedNew,
         {{kSet, kWithNew}, {kNew, kValues}},
         kSet,
         kMoment},
        {"preset_held_for_a_moment",
         kOverwrite,
         none,
         kOverwritten,
         {{kOld, kValues}},
         kOld,
         kMoment},
        {"preset_held_for_a_moment_on_delete",
         kDelete,
         none,
         kDeleted,
         {{kSet, kWithoutOld}, {kOld, ""}},
         kOld,
         kMoment},
    };
}

std::set<fs::path> entries(const fs::path& dir) {
    std::set<fs::path> found;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        found.insert(it->path());
    return found;
}

// Runs the session while HOLDER keeps HELD open, and lets go RELEASE after the session's first new
// file (its temporary) appears in HELD's folder, or when the session ends without one.
wltest::HostResult runReleasingAfter(const fs::path& root, const Lines& session,
                                     const fs::path& held, wltest::BackgroundProgram& holder,
                                     std::chrono::milliseconds release) {
    const std::set<fs::path> before = entries(held.parent_path());
    auto run =
        std::async(std::launch::async, [&] { return wltest::runWindowsHost(root, session); });
    while (run.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
        const std::set<fs::path> now = entries(held.parent_path());
        if (std::any_of(now.begin(), now.end(),
                        [&](const fs::path& p) { return !before.contains(p); })) {
            std::this_thread::sleep_for(release);
            break;
        }
    }
    EXPECT_EQ(holder.finish(), 0);
    return run.get();
}

// The files under the root but the host's own configuration, which every run writes.
Tree files(const fs::path& root) {
    Tree tree = wltest::treeContents(root);
    std::erase_if(tree,
                  [](const auto& entry) { return entry.first.rfind("bakkesmod/cfg", 0) == 0; });
    return tree;
}

bool matches(const std::string& line, const std::string& pattern) {
    if (!pattern.empty() && pattern.back() == '*')
        return line.rfind(pattern.substr(0, pattern.size() - 1), 0) == 0 &&
               line.size() >= pattern.size();
    return line == pattern;
}

class WindowsFaults : public testing::TestWithParam<Cell> {};

TEST_P(WindowsFaults, NothingIsLostAndEveryFailureIsReported) {
    WL_REQUIRE_WINDOWS_TOOLCHAIN();
    const Cell& cell = GetParam();
    const auto& build = wltest::windowsBuild();
    const fs::path root = wltest::freshRoot("windows-fault-" + cell.name);
    wltest::writeFile(root / kSet, kListed);
    wltest::writeFile(root / kOld, kOldValues);
    wltest::writeFile(root / kOutside, "outside");
    wltest::writeFile(root / kLock, "");  // as every change leaves it
    cell.setup(root);
    const Tree before = files(root);

    std::unique_ptr<wltest::BackgroundProgram> holder;
    if (!cell.held.empty()) {
        ASSERT_TRUE(fs::exists(build.holdFileExe())) << "scripts/windows-prepare.sh builds it";
        std::vector<std::string> hold = build.underWine(build.holdFileExe());
        hold.push_back(wltest::winePath(root / cell.held));
        holder = std::make_unique<wltest::BackgroundProgram>(hold);
        ASSERT_EQ(holder->readLine(), "holding");
    }
    wltest::HostResult run;
    if (holder && cell.release.count() != 0) {
        run = runReleasingAfter(root, cell.session, root / cell.held, *holder, cell.release);
    } else {
        run = wltest::runWindowsHost(root, cell.session);
        if (holder) {
            EXPECT_EQ(holder->finish(), 0);
        }
    }

    EXPECT_EQ(run.exitCode, 0) << run.err;
    const Lines out = wltest::consoleLines(run.out);
    bool same = out.size() == cell.out.size();
    for (std::size_t i = 0; same && i < out.size(); ++i) same = matches(out[i], cell.out[i]);
    EXPECT_TRUE(same) << testing::PrintToString(out) << "\nexpected\n"
                      << testing::PrintToString(cell.out);

    Tree after = before;
    for (const auto& [name, content] : cell.changes) {
        if (content.empty())
            after.erase(name);
        else
            after[name] = content;
    }
    EXPECT_EQ(files(root), after);
}

INSTANTIATE_TEST_SUITE_P(Matrix, WindowsFaults, testing::ValuesIn(cells()),
                         [](const testing::TestParamInfo<Cell>& info) { return info.param.name; });

}  // namespace
