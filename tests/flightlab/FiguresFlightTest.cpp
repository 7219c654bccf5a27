// The figures of real flights through the plug-in: touchdown, signed distance, heading and held
// input, honest sweeps, launch grids and tune verdicts.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "Lab.h"
#include "Workers.h"
#include "wltest/HostRunner.h"

using namespace flightlab;
namespace fs = std::filesystem;

namespace {

LabOptions options(const std::string& name, std::vector<std::string> args = {}) {
    std::string error;
    bool informational = false;
    args.insert(args.begin(), {"--hud-preset", "none"});
    auto o = parseOptions(args, error, informational);
    EXPECT_TRUE(o) << error;
    o->outDir = wltest::freshRoot(name);
    return *o;
}

std::vector<Flight> fly(const LabOptions& o, const std::vector<std::pair<Launch, flightlab::Setup>>& flights) {
    WorkerPool pool(WorkerSetup{o.plugin, o.outDir / "work", {}, 2});
    std::vector<Job> jobs;
    for (const auto& [launch, setup] : flights) jobs.push_back(flightJob(launch, setup));
    return pool.run(jobs);
}

// The line of TEXT that starts with PREFIX, or "".
std::string lineStarting(const std::string& text, const std::string& prefix) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(prefix, 0) == 0) return line;
    return "";
}

flightlab::Setup withLift(const char* lift) {
    flightlab::Setup s = setupFor("3");
    s.overrides = {{"wl_lift", lift}};
    return s;
}

}  // namespace

// Near-identical flights land at near-identical speeds: the impact speed is taken at the moment
// the car reaches its resting height, vertical speed included.
TEST(FiguresFlight, NeighbouringLiftValuesLandAtCloseSpeeds) {
    const LabOptions o = options("touchdown");
    const auto flights = fly(o, {{o.launch, withLift("0")}, {o.launch, withLift("0.01")},
                                 {o.launch, withLift("0.02")}, {o.launch, withLift("0.03")}});
    for (std::size_t i = 1; i < flights.size(); ++i) {
        const double a = flights[i - 1].figures.landingSpeedUu, b = flights[i].figures.landingSpeedUu;
        EXPECT_NEAR(a, b, 0.02 * a) << "lift step " << i;
    }
}

// Base preset 3 lands behind its launch point: the table and figures.csv say so with a negative
// distance and mark the turn. Along +Y the model, acting along world axes, flies preset 4
// differently, while stock flies the same path turned.
TEST(FiguresFlight, SignedDistanceAndHeading) {
    LabOptions o = options("behind", {"--presets", "stock,3"});
    std::ostringstream out, err;
    ASSERT_EQ(runLab(o, out, err), 0) << err.str();
    EXPECT_NE(lineStarting(out.str(), "3 High-lift glider").find(" -11.6<"), std::string::npos) << out.str();
    const std::string row = lineStarting(wltest::readFile(o.outDir / "figures.csv"), "\"3 High-lift glider");
    EXPECT_NE(row.find(",-11.6"), std::string::npos) << row;
    EXPECT_EQ(row.back(), '1') << row;  // turned back

    Launch along90 = o.launch;
    along90.headingDeg = 90;
    const auto flights = fly(o, {{o.launch, setupFor("stock")}, {along90, setupFor("stock")},
                                 {o.launch, setupFor("4")}, {along90, setupFor("4")}});
    EXPECT_NEAR(flights[1].figures.distanceUu, flights[0].figures.distanceUu, 0.5);
    EXPECT_NEAR(flights[1].samples.back().y, flights[0].samples.back().x, 0.5);
    EXPECT_NEAR(flights[1].figures.sideUu, 0, 0.5);
    EXPECT_GT(std::abs(flights[3].figures.distanceUu - flights[2].figures.distanceUu), 100);
}

// Input held through the flight turns the car: pitch held up lifts the nose of a stock car.
TEST(FiguresFlight, HeldInputTurnsTheCar) {
    LabOptions o = options("input", {"--input", "pitch=1"});
    const auto flights = fly(o, {{Launch{}, setupFor("stock")}, {o.launch, setupFor("stock")}});
    const auto pitchAt = [](const Flight& f) { return attitudeOf(f.samples[60]).pitchDeg; };
    EXPECT_NEAR(pitchAt(flights[0]), 25, 1e-3);
    EXPECT_GT(std::abs(pitchAt(flights[1]) - 25), 20);
}

// A sweep beyond the plug-in's range is refused before any flight; a sweep whose flights are all
// the same says so and why.
TEST(FiguresFlight, HonestSweeps) {
    LabOptions o = options("sweep-range", {"--presets", "stock", "--sweep", "wl_lift=0:20:5"});
    std::ostringstream out, err;
    try {
        runLab(o, out, err);
        ADD_FAILURE() << "no error";
    } catch (const UsageError& e) {
        EXPECT_STREQ(e.what(), "option --sweep: wl_lift takes values from 0 to 10 (the plug-in's range), not 0 to 20");
    }
    EXPECT_FALSE(fs::exists(o.outDir / "trajectories.csv"));

    LabOptions same = options("sweep-same", {"--presets", "stock", "--sweep", "wl_pitch=0:10:3"});
    ASSERT_EQ(runLab(same, out, err), 0) << err.str();
    EXPECT_NE(out.str().find("every flight of the sweep is identical: wl_pitch changed nothing at this "
                             "launch. The stabilisation sliders scale turns about world X, Y and Z"),
              std::string::npos)
        << out.str();
}

// A launch grid flies every set-up at every launch (stock added as the reference) and writes a
// row per set-up and launch, the summary and a heat map per figure.
TEST(FiguresFlight, LaunchGridFilesAndSummary) {
    LabOptions o = options("grid", {"--presets", "3", "--launches", "speed=1500:2000:2,pitch=20:30:2"});
    std::ostringstream out, err;
    ASSERT_EQ(runLab(o, out, err), 0) << err.str();
    const std::string csv = wltest::readFile(o.outDir / "launches.csv");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 2 * 4) << csv;
    EXPECT_NE(out.str().find("launch grid: 4 launches: speed 1500 to 2000 uu/s (2), pitch 20 to 30 deg (2)"),
              std::string::npos) << out.str();
    EXPECT_NE(lineStarting(out.str(), "3 High-lift glider, no boost ").find("airtime s"), std::string::npos)
        << out.str();
    EXPECT_NE(lineStarting(out.str(), "3 High-lift glider, no boost ").find("4 of 4"), std::string::npos)
        << out.str();
    for (const char* f : {"grid-airtime.png", "grid-distance.png", "grid-landing-speed.png"})
        EXPECT_TRUE(fs::exists(o.outDir / f)) << f;
}

// Tune verdicts: a target the sliders cannot reach is reported, exit 3, and nothing is installed
// unless forced; a relative target over a grid is met where stock's own flight meets it.
TEST(FiguresFlight, TuneVerdicts) {
    const fs::path game = wltest::freshRoot("verdict-game");
    ASSERT_EQ(wltest::runHost(game, {"sim_mode freeplay"}).exitCode, 0);
    // Every slider held, air density 0: the model does nothing, and stock never climbs that high.
    std::vector<std::string> args{"--tune", "top=50000", "--tune-restarts", "2", "--tune-name", "Never",
                                  "--game", game.string(), "--tune-fix",
                                  "wl_speed=1,wl_boost=1,wl_air_density=0,wl_length=1,wl_width=1,wl_height=1,"
                                  "wl_drag_x=0,wl_drag_y=0,wl_drag_z=0,wl_pitch=0,wl_roll=0,wl_yaw=0,wl_lift=0,"
                                  "wl_throttle=1"};
    LabOptions o = options("verdict", args);
    std::ostringstream out, err;
    EXPECT_EQ(runLab(o, out, err), 3) << err.str();
    EXPECT_NE(out.str().find("\ntargets not met (tolerance 1 %):\n  top height uu"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("restarts: 2, best seed 1"), std::string::npos) << out.str();
    EXPECT_FALSE(fs::exists(game / "bakkesmod/wingleaf/Never.txt"));
    EXPECT_TRUE(fs::exists(o.outDir / "tuned.txt"));

    args.push_back("--force");
    LabOptions forced = options("verdict-forced", args);
    EXPECT_EQ(runLab(forced, out, err), 3);
    EXPECT_TRUE(fs::exists(game / "bakkesmod/wingleaf/Never.txt"));

    // A preset of that name made while the tune ran is kept, and the plug-in's reason given.
    LabOptions late = options("verdict-late", {"--tune", "airtime=1x", "--tune-restarts", "1",
                                               "--tune-name", "Appeared", "--game", game.string()});
    wltest::writeFile(game / "bakkesmod/wingleaf/Appeared.txt", "2.5\n");
    std::ostringstream lateErr;
    EXPECT_EQ(runLab(late, out, lateErr), 4) << lateErr.str();
    EXPECT_NE(lateErr.str().find(
                  "the preset 'Appeared' was not installed: a preset named 'Appeared' exists "
                  "already (--force replaces it)"),
              std::string::npos)
        << lateErr.str();
    EXPECT_EQ(wltest::readFile(game / "bakkesmod/wingleaf/Appeared.txt"), "2.5\n");

    LabOptions grid = options("verdict-grid", {"--tune", "airtime=1x", "--tune-restarts", "1",
                                               "--launches", "pitch=10:40:2"});
    std::ostringstream gridOut;
    EXPECT_EQ(runLab(grid, gridOut, err), 0) << gridOut.str();
    EXPECT_NE(gridOut.str().find("worst launches (error against the targets there):\n  pitch 10"),
              std::string::npos) << gridOut.str();
}
