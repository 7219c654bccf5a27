// Presets on disk against what the world does to a game: sessions killed at any instant, and two
// programs changing one game folder at once.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <random>
#include <thread>

#include "wltest/FaultLayout.h"
#include "wltest/HostRunner.h"
#include "wltest/PresetChecks.h"
#include "wltest/PresetExpectations.h"

namespace fs = std::filesystem;
using namespace wltest::faults;
using namespace wltest::presets;

extern char** environ;

namespace {

using Lines = std::vector<std::string>;

// A wingleaf-host session on a script, its output in files, until it is killed.
class KilledSession {
public:
    KilledSession(const fs::path& root, const fs::path& script, const fs::path& out,
                  const fs::path& err) {
        const std::vector<std::string> args{WL_HOST_EXE, "--root",       root.string(),
                                            "--plugin",  WL_PLUGIN_PATH, script.string()};
        std::vector<char*> argv;
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    KilledSession(const KilledSession&) = delete;
    KilledSession& operator=(const KilledSession&) = delete;
    ~KilledSession() { kill(); }

    bool started() const { return pid_ > 0; }
    // SIGKILL, then waits; true when the signal ended it (it had not finished on its own).
    bool kill() {
        if (pid_ <= 0) return false;
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

private:
    pid_t pid_ = -1;
};

// Waits up to `limit` for the file to hold something.
bool waitForOutput(const fs::path& file, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    std::error_code ec;
    while (std::chrono::steady_clock::now() < end) {
        if (fs::file_size(file, ec) > 0 && !ec) return true;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return false;
}

// Killed at a random instant, over and over: after each kill every listed user preset has a
// complete file, the settings file is the installed one plus entries, and each next session
// starts and runs without a fault line.
TEST(PresetCrash, NoKillLeavesAListedPresetWithoutItsValues) {
    constexpr int kKills = 200;
    constexpr unsigned kSeed = 20251207;
    std::mt19937 random(kSeed);
    const fs::path root = wltest::freshRoot("crash");
    const fs::path work = wltest::freshRoot("crash-work");
    wltest::writeFile(work / "loop.cfg", crashLoopScript(5000));

    // A clean session installs the settings file and tells how long loading takes.
    const auto started = std::chrono::steady_clock::now();
    const auto first = wltest::runHost(root, {});
    const auto loadTime = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - started);
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const std::string installed = wltest::readFile(root / kSet);

    int duringLoad = 0, checked = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const fs::path out = work / "out.txt", err = work / "err.txt";
        KilledSession session(root, work / "loop.cfg", out, err);
        ASSERT_TRUE(session.started());
        // One kill in eight lands anywhere in loading, the others while presets change.
        if (random() % 8 == 0) {
            ++duringLoad;
            std::this_thread::sleep_for(
                std::chrono::microseconds(random() % (loadTime.count() + 1)));
        } else {
            ASSERT_TRUE(waitForOutput(out, std::chrono::seconds(60))) << "kill " << kill;
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        }
        ASSERT_TRUE(session.kill()) << "the session ended before kill " << kill;

        EXPECT_EQ(unexpectedErrorLines(wltest::readFile(err)), Lines{}) << "kill " << kill;
        EXPECT_EQ(faultLines(wltest::readFile(out)), Lines{}) << "kill " << kill;
        ASSERT_EQ(listedPresetsComplete(root, installed, &checked), "") << "after kill " << kill;
    }
    // The session after the last kill starts, heals what the kill left before its settings
    // windows are read again, and leaves nothing for the next one to report.
    const auto last = wltest::runHost(root, {"sim_settings", "wl_name_preset P1", "wl_create 1"});
    EXPECT_EQ(last.exitCode, 0);
    EXPECT_EQ(unexpectedErrorLines(last.err), Lines{});
    EXPECT_EQ(faultLines(last.out), Lines{});
    EXPECT_EQ(settingsWindows(last.out), Lines{"wingleaf.set"});
    EXPECT_FALSE(fs::exists(fs::symlink_status(root / kTmp)));
    EXPECT_FALSE(fs::exists(fs::symlink_status(root / kPresetTmp)));
    EXPECT_EQ(wltest::runHost(root, {}).err, "");
    std::cout << "[          ] " << kKills << " kills (" << duringLoad << " while loading), seed "
              << kSeed << ", " << checked << " listed presets checked\n";
    fs::remove_all(root);
    fs::remove_all(work);
}

// Two programs on one game folder, each creating 300 presets and deleting every second one right
// away: what each reports is true in the files, and every file holds its own values.
TEST(PresetConcurrency, TwoSessionsCreatingAndDeletingLoseNothing) {
    constexpr int kCreates = 300;
    const fs::path root = wltest::freshRoot("concurrent");
    const fs::path work = wltest::freshRoot("concurrent-work");
    ASSERT_EQ(wltest::runHost(root, {}).exitCode, 0);  // installs the settings file
    const std::string installed = wltest::readFile(root / kSet);
    for (int s = 1; s <= 2; ++s)
        wltest::writeFile(work / ("s" + std::to_string(s) + ".cfg"), concurrentScript(s, kCreates));

    std::vector<wltest::HostResult> results(2);
    std::vector<std::thread> sessions;
    for (int s = 1; s <= 2; ++s)
        sessions.emplace_back([&, s] {
            results[s - 1] = wltest::runProgram(
                {WL_HOST_EXE, "--root", root.string(), "--plugin", WL_PLUGIN_PATH,
                 (work / ("s" + std::to_string(s) + ".cfg")).string()});
        });
    for (std::thread& session : sessions) session.join();
    for (const auto& result : results) EXPECT_EQ(result.exitCode, 0) << result.err;

    expectConcurrentSessionsHeld(
        checkConcurrentSessions(root, installed, {results[0].out, results[1].out}, kCreates),
        kCreates);
    fs::remove_all(root);
    fs::remove_all(work);
}

}  // namespace
