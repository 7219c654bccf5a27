// A run of the lab as a whole: what it checks before the first flight, how much it may hold,
// and how Ctrl-C ends it.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "Lab.h"
#include "LabTestOptions.h"
#include "wltest/HostRunner.h"

using namespace flightlab;
namespace fs = std::filesystem;

namespace {

std::string runError(const LabOptions& o) {
    std::ostringstream out, err;
    try {
        runLab(o, out, err);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}

// The lab started in a process group of its own with TMPDIR set, as from a terminal.
struct Started {
    pid_t pid;
    fs::path out;
};

Started start(const fs::path& root, const std::vector<std::string>& args) {
    fs::create_directories(root / "tmp");
    std::vector<std::string> argv{WL_FLIGHTLAB_EXE, "--out", (root / "out").string()};
    argv.insert(argv.end(), args.begin(), args.end());
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        ::setenv("TMPDIR", (root / "tmp").c_str(), 1);
        const std::string log = (root / "output").string();
        ::freopen(log.c_str(), "w", stdout);
        ::freopen((log + "-err").c_str(), "w", stderr);
        std::vector<char*> raw;
        for (auto& a : argv) raw.push_back(a.data());
        raw.push_back(nullptr);
        ::execv(raw[0], raw.data());
        ::_exit(127);
    }
    ::setpgid(pid, pid);
    return {pid, root / "out"};
}

// Waits until the workers have laid out their game folders, so the stop comes mid-run.
bool workersStarted(const fs::path& tmp) {
    for (int i = 0; i < 600; ++i) {
        std::error_code ec;
        // A tune's workers play under one folder per restart.
        for (const auto& run : fs::directory_iterator(tmp, ec))
            for (const char* worker : {"worker-0", "restart-1/worker-0"})
                if (fs::exists(run.path() / worker / "bakkesmod/plugins/settings/wingleaf.set", ec)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

int exitStatus(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
}

}  // namespace

// An output folder that cannot take files is named with the system's reason before any flight.
TEST(FlightLabRun, OutputFolderIsCheckedBeforeAnyFlight) {
    const fs::path root = wltest::freshRoot("out-check");
    wltest::writeFile(root / "a-file", "x");
    LabOptions o = labOptions("out-check-lab");
    o.outDir = root / "a-file";
    EXPECT_EQ(runError(o), "cannot write to the output folder " + o.outDir.string() + ": Not a directory");
    o.outDir = root / "a-file" / "below";
    EXPECT_EQ(runError(o), "cannot write to the output folder " + o.outDir.string() + ": Not a directory");
    EXPECT_EQ(wltest::readFile(root / "a-file"), "x");
}

// A full device shows before the first flight too. The program runs in a mount namespace of
// its own where the output folder's parent is a small file system already filled up.
TEST(FlightLabRun, AFullDeviceIsNamedBeforeAnyFlight) {
    const fs::path root = wltest::freshRoot("out-full");
    const std::string script =
        "mount -t tmpfs -o size=64k tmpfs \"$1\" || exit 77; "
        "head -c 65536 /dev/zero > \"$1/fill\" 2>/dev/null; "
        "exec \"$2\" --out \"$1/out\" --presets stock --hud-preset none";
    const auto r = wltest::runProgram({"/usr/bin/unshare", "--map-root-user", "--mount", "/bin/sh", "-c",
                                       script, "sh", root.string(), WL_FLIGHTLAB_EXE});
    if (r.exitCode == 77 || r.err.rfind("unshare:", 0) == 0)
        GTEST_SKIP() << "no mount namespace here: " << r.err;
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "wingleaf-flightlab: cannot write to the output folder " + (root / "out").string() +
                                ": No space left on device\n");
    EXPECT_EQ(r.out, "");
}

// A name the plug-in would refuse fails at once with the plug-in's own reason.
TEST(FlightLabRun, TuneNameIsJudgedByThePluginBeforeTuning) {
    const fs::path game = wltest::freshRoot("tune-name-game");
    ASSERT_EQ(wltest::runHost(game, {"sim_mode freeplay"}).exitCode, 0);
    for (const char* name : {"a/b", "a<b", "CON"}) {
        LabOptions o = labOptions("tune-name");
        o.tune = Tune{};
        o.tune->targets.airtimeS = 5;
        o.tune->name = name;
        o.tune->game = game;
        const std::string error = runError(o);
        EXPECT_EQ(error.rfind(std::string("option --tune-name: the plug-in refuses the name '") + name +
                                  "': Invalid preset name.", 0), 0u) << error;
        EXPECT_FALSE(fs::exists(o.outDir / "tuned.txt"));
    }
}

// Trajectories go to their file as flights arrive and only a picture's worth of each is kept;
// a run that would still need too much is refused before flying, with the estimate.
TEST(FlightLabRun, MemoryStaysBoundedOrTheRunIsRefused) {
    Flight f;
    f.figures.apexTick = 777;
    for (int t = 0; t <= 72000; ++t) f.samples.push_back(Sample{t, 0, 0, t == 777 ? 5000.0 : 1.0, 0, 0, 0});
    keepAtMost(f, kPictureSamples);
    EXPECT_LE(f.samples.size(), kPictureSamples);
    EXPECT_EQ(f.samples.front().tick, 0);
    EXPECT_EQ(f.samples.back().tick, 72000);
    EXPECT_TRUE(std::any_of(f.samples.begin(), f.samples.end(), [](const Sample& s) { return s.z == 5000; }));

    Launch longest;
    longest.timeLimitS = 600;
    EXPECT_LT(estimatedPeakBytes(longest, 1006, 2), kMemoryLimitBytes) << "a 1,000-step sweep on every preset";
    LabOptions o = labOptions("too-large");
    o.launch = longest;
    o.presets.assign(3000, "1");
    const std::string error = runError(o);
    EXPECT_EQ(error.rfind("this run would hold about ", 0), 0u) << error;
    EXPECT_NE(error.find("(3000 flights of up to 72000 ticks, "), std::string::npos) << error;
    EXPECT_NE(error.find("more than the 300 MB"), std::string::npos) << error;
    EXPECT_NE(error.find("fewer --workers"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(o.outDir / "trajectories.csv"));
}

// Ctrl-C to the process group, SIGINT to the lab alone and SIGTERM each stop a run: the workers
// end, every temporary game folder goes, and the exit status tells the signal.
TEST(FlightLabRun, AStopEndsTheRunAndRemovesEveryTemporaryFolder) {
    struct Case {
        const char* name;
        int signal;
        bool group;
        int status;
    };
    for (const Case& c : {Case{"group-int", SIGINT, true, 130}, Case{"lab-int", SIGINT, false, 130},
                          Case{"lab-term", SIGTERM, false, 143}}) {
        SCOPED_TRACE(c.name);
        const fs::path root = wltest::freshRoot(std::string("stop-") + c.name);
        const Started lab = start(root, {"--height", "100000", "--time-limit", "600", "--presets", "stock",
                                         "--sweep", "wl_lift=0:10:40", "--hud-preset", "none"});
        ASSERT_TRUE(workersStarted(root / "tmp"));
        ::kill(c.group ? -lab.pid : lab.pid, c.signal);
        EXPECT_EQ(exitStatus(lab.pid), c.status) << wltest::readFile(root / "output-err");
        EXPECT_TRUE(fs::is_empty(root / "tmp"));
        // Neither the file nor its temporary.
        for (const auto& entry : fs::directory_iterator(lab.out))
            EXPECT_NE(entry.path().filename().string().rfind("trajectories.csv", 0), 0u)
                << entry.path();
    }
}

// An interrupted tune still prints and saves the best preset it found, marked as such.
TEST(FlightLabRun, AnInterruptedTuneKeepsItsBestPresetSoFar) {
    const fs::path root = wltest::freshRoot("stop-tune");
    const Started lab = start(root, {"--tune", "airtime=9.5,distance=40000,top=3000"});
    ASSERT_TRUE(workersStarted(root / "tmp"));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::kill(-lab.pid, SIGINT);
    EXPECT_EQ(exitStatus(lab.pid), 130) << wltest::readFile(root / "output-err");
    const std::string out = wltest::readFile(root / "output");
    EXPECT_EQ(out.rfind("tuning interrupted on octane after ", 0), 0u) << out;
    EXPECT_NE(wltest::readFile(root / "output-err").find("tuned preset (interrupted: the best so far)"),
              std::string::npos);
    EXPECT_FALSE(wltest::readFile(lab.out / "tuned.txt").empty());
    EXPECT_TRUE(fs::is_empty(root / "tmp"));
}
