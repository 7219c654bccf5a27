// Flights in the lab's engine: the stock flight against the closed form, independence from
// order and worker count, agreement with wingleaf-host, and the whole program's files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <sstream>

#include "HostFlights.h"
#include "Lab.h"
#include "LabTestOptions.h"
#include "Report.h"
#include "Workers.h"
#include "game/PhysicsConstants.h"
#include "wltest/HostRunner.h"

using namespace flightlab;
namespace fs = std::filesystem;
namespace phys = host::phys;

namespace {

WorkerPool pool(const LabOptions& o, int workers) {
    return WorkerPool(WorkerSetup{o.plugin, o.outDir / "work", {}, workers});
}

std::vector<Job> jobsFor(const LabOptions& o, const std::vector<flightlab::Setup>& setups) {
    std::vector<Job> jobs;
    for (const auto& s : setups) jobs.push_back(flightJob(o.launch, s));
    return jobs;
}

std::string table(const std::vector<Flight>& flights) {
    std::ostringstream s;
    writeTable(s, flights);
    writeSliderTable(s, flights);
    return s.str();
}

// Every number of every sample, bit for bit: -0 differs from 0.
std::vector<std::uint64_t> sampleBits(const Flight& f) {
    std::vector<std::uint64_t> bits;
    for (const Sample& s : f.samples) {
        bits.push_back(static_cast<std::uint64_t>(s.tick) * 2 + (s.onGround ? 1 : 0));
        for (double v : {s.x, s.y, s.z, s.vx, s.vy, s.vz, s.qw, s.qx, s.qy, s.qz, s.wx, s.wy, s.wz})
            bits.push_back(std::bit_cast<std::uint64_t>(v));
    }
    return bits;
}

}  // namespace

// A stock car boosting in the air along a fixed nose, then falling, is a two-piece parabola,
// stepped as the game steps it: each tick moves the car by its new velocity, so a constant
// acceleration a covers a t (t + dt) / 2 in the time t.
TEST(FlightLabFlight, StockFlightMatchesTheClosedForm) {
    LabOptions o = labOptions("closed-form");
    o.launch.speedUu = 1000;  // stays under the speed limit, so no clamp bends the path
    o.launch.pitchDeg = 25;
    o.launch.heightUu = 300;
    o.launch.boostSeconds = 1;
    const Flight f = pool(o, 1).fly(flightJob(o.launch, setupFor("stock")));
    ASSERT_TRUE(f.figures.landed);

    const double pi = std::acos(-1.0), pitch = 25 * pi / 180;
    const double nx = std::cos(pitch), nz = std::sin(pitch);
    const double accel = (phys::kBoostForce + phys::kAirThrottleForce) / phys::kCarMass;
    const double g = phys::kGravityZUuS2;
    const double tb = 1.0, dt = kTickS;
    // End of the boost.
    const double vxb = 1000 * nx + accel * nx * tb;
    const double vzb = 1000 * nz + (accel * nz + g) * tb;
    const double xb = 1000 * nx * tb + accel * nx * tb * (tb + dt) / 2;
    const double zb = 300 + 1000 * nz * tb + (accel * nz + g) * tb * (tb + dt) / 2;
    // Free fall down to the car's resting height, where it touches down:
    // z = zb + (vzb + g dt / 2) t + g t^2 / 2.
    const double vz = vzb + g * dt / 2;
    const double fall = (-vz - std::sqrt(vz * vz - 2 * g * (zb - phys::kCarRestHeightUu))) / g;
    const double airtime = tb + fall;
    const double distance = xb + vxb * fall;
    // The full impact speed, the vertical included.
    const double landingSpeed = std::hypot(vxb, vzb + g * fall);
    const double descentDeg = std::atan2(-(vzb + g * fall), vxb) * 180 / pi;

    EXPECT_NEAR(f.figures.airtimeS, airtime, kTickS / 10) << "airtime";
    EXPECT_NEAR(f.figures.distanceUu, distance, vxb * kTickS / 10) << "distance";
    EXPECT_NEAR(f.figures.landingSpeedUu, landingSpeed, landingSpeed / 200) << "landing speed";
    EXPECT_NEAR(f.figures.descentAngleDeg, descentDeg, 0.5) << "descent angle";
}

// A flight's figures do not depend on the flights before it in its worker, nor on how many
// workers share the work; and the in-process engine flies exactly as wingleaf-host does.
TEST(FlightLabFlight, FlightsAreIndependentOfOrderWorkersAndPath) {
    LabOptions o = labOptions("independent");
    std::vector<flightlab::Setup> setups;
    for (const char* body : {"octane", "merc"}) {
        for (const char* p : {"stock", "1", "2", "3", "4", "5"}) {
            flightlab::Setup s = setupFor(p);
            s.body = body;
            s.label = std::string(p) + " " + body;
            setups.push_back(s);
        }
    }
    flightlab::Setup swept = setupFor("3");
    swept.overrides = {{Slider::lift, 7.5f}, {Slider::speed, 0.2f}};
    swept.label = "3 swept";
    setups.push_back(swept);

    const std::string inOrder = table(pool(o, 1).run(jobsFor(o, setups)));
    std::vector<std::size_t> order(setups.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(42));
    std::vector<flightlab::Setup> shuffled;
    for (std::size_t i : order) shuffled.push_back(setups[i]);
    const auto flown = pool(o, 2).run(jobsFor(o, shuffled));
    std::vector<Flight> back(flown.size());
    for (std::size_t i = 0; i < order.size(); ++i) back[order[i]] = flown[i];
    EXPECT_EQ(table(back), inOrder);

    std::vector<Flight> viaHost;
    for (std::size_t i = 0; i < 6; ++i)
        viaHost.push_back(hostpath::flyInHost(o.launch, setups[i], o.outDir / ("host" + std::to_string(i))));
    EXPECT_EQ(table(viaHost), table(std::vector<Flight>(back.begin(), back.begin() + 6)));
    // The model reads the body's collision box.
    EXPECT_NE(back[1].figures.distanceUu, back[7].figures.distanceUu);
}

// A worker flying a launch again on the same body skips that launch's set-up lines; each flight
// of a mixed sequence still flies bit for bit as the same flight alone in a fresh worker,
// whatever the launch, held input, heading (-0 and 0 included) or body of the flight before.
TEST(FlightLabFlight, RepeatedLaunchesFlyAsTheyDoAlone) {
    LabOptions o = labOptions("repeated");
    const Launch base = o.launch;
    Launch held = base, turned = base, mirrored = base;
    held.input.roll = 0.5;
    turned.headingDeg = 30;
    mirrored.headingDeg = -0.0;
    flightlab::Setup octane = setupFor("3"), merc = setupFor("3");
    merc.body = "merc";
    const std::vector<Job> alone{flightJob(base, octane), flightJob(held, octane),
                                 flightJob(turned, octane), flightJob(base, merc),
                                 flightJob(mirrored, octane)};
    const std::vector<std::size_t> order{0, 0, 1, 1, 2, 0, 4, 3, 0};
    std::vector<Job> sequence;
    for (std::size_t i : order) sequence.push_back(alone[i]);
    const std::vector<Flight> flown = pool(o, 1).run(sequence);
    std::vector<std::vector<std::uint64_t>> reference;
    for (const Job& job : alone) reference.push_back(sampleBits(pool(o, 1).fly(job)));
    ASSERT_NE(reference[0], reference[4]) << "a heading of -0 sets the car up apart from 0";
    for (std::size_t k = 0; k < order.size(); ++k)
        EXPECT_TRUE(sampleBits(flown[k]) == reference[order[k]]) << "flight " << k;
}

// The lift term pushes along the car's up axis in proportion to forward speed and damps the
// speed along that axis, so more lift keeps the car up longer on the default launch.
TEST(FlightLabFlight, MoreLiftMeansMoreAirtime) {
    LabOptions o = labOptions("lift-sweep");
    o.launch.timeLimitS = 20;
    std::vector<flightlab::Setup> setups;
    for (float lift : {0.0f, 2.0f, 4.0f, 6.0f, 8.0f, 10.0f}) {
        auto setup = setupFor("3");
        setup.overrides = {{Slider::lift, lift}};
        setups.push_back(setup);
    }
    const auto flights = pool(o, 2).run(jobsFor(o, setups));
    for (std::size_t i = 0; i < flights.size(); ++i) EXPECT_TRUE(flights[i].figures.landed) << i;
    for (std::size_t i = 1; i < flights.size(); ++i)
        EXPECT_GT(flights[i].figures.airtimeS, flights[i - 1].figures.airtimeS) << "step " << i;
}

// The program's files: tables, CSV files and pictures, and no per-flight files unless asked.
TEST(FlightLabFlight, ProgramWritesItsFilesAndKeepsRunsOnlyWhenAsked) {
    for (const bool keep : {false, true}) {
        LabOptions o = labOptions(keep ? "files-kept" : "files");
        o.presets = {"stock", "3", "5"};
        o.hudPreset = "3";
        o.keepRuns = keep;
        o.sweep = Sweep{Slider::lift, 0, 10, 3, "3"};
        std::ostringstream out, err;
        ASSERT_EQ(runLab(o, out, err), 0) << err.str();
        for (const char* file : {"trajectories.csv", "presets.csv", "side-view.png", "height-time.png",
                                 "speed-time.png", "sweep.png", "hud-apex.png"})
            EXPECT_TRUE(fs::exists(o.outDir / file)) << file;
        EXPECT_EQ(fs::exists(o.outDir / "runs" / "flight-0006.csv"), keep);
        EXPECT_NE(out.str().find("slider values:"), std::string::npos);
        EXPECT_NE(wltest::readFile(o.outDir / "presets.csv").find("\"3 High-lift glider, no boost\",octane,on,2.08100,0.00000,"),
                  std::string::npos);
    }
}

// Tuning toward the flight of base preset 1 finds it within 1 %, the saved preset flies the
// reported figures exactly, and the preset installed in a game folder shows in its settings
// window.
TEST(FlightLabFlight, TuningFindsATargetFlightAndSavesAFlyablePreset) {
    LabOptions o = labOptions("tune");
    const Flight target = pool(o, 1).fly(flightJob(o.launch, setupFor("1")));
    const fs::path game = wltest::freshRoot("tune-game");
    ASSERT_EQ(wltest::runHost(game, {"sim_mode freeplay"}).exitCode, 0);
    o.tune = Tune{};
    o.tune->restarts = 1;
    o.tune->targets.airtimeS = target.figures.airtimeS;
    o.tune->targets.distanceUu = target.figures.distanceUu;
    o.tune->name = "Found";
    o.tune->game = game;
    std::ostringstream tuned, err;
    ASSERT_EQ(runLab(o, tuned, err), 0) << err.str();

    const std::string row = tuned.str().substr(tuned.str().rfind("\ntuned ") + 1);
    double airtime = 0, distance = 0;
    ASSERT_EQ(std::sscanf(row.c_str(), "tuned %lf %lf", &airtime, &distance), 2) << tuned.str();
    EXPECT_NEAR(airtime, target.figures.airtimeS, target.figures.airtimeS / 100) << tuned.str();
    EXPECT_NEAR(distance, target.figures.distanceUu, target.figures.distanceUu / 100);

    LabOptions again = labOptions("tune-again");
    again.presets = {"tuned"};
    again.presetDir = o.outDir;
    std::ostringstream flown;
    ASSERT_EQ(runLab(again, flown, err), 0) << err.str();
    EXPECT_NE(flown.str().find(row), std::string::npos) << flown.str() << "\n" << row;
    EXPECT_NE(wltest::readFile(game / "bakkesmod/plugins/settings/wingleaf.set").find("Found@Found"),
              std::string::npos);
}

// The default comparison on two bodies, every figure as printed. A change here is a change of the
// simulated game, the model or the lab's reading of a flight: update it knowingly.
TEST(FlightLabFlight, DefaultComparisonOnTwoBodiesIsPinned) {
    LabOptions o = labOptions("golden");
    o.bodies = {"octane", "merc"};
    std::ostringstream out, err;
    ASSERT_EQ(runLab(o, out, err), 0) << err.str();
    const std::string table = out.str().substr(0, out.str().find("\nslider values:"));
    EXPECT_EQ(table,
              "launch: 2000 uu/s, pitched 25 deg up, from 300 uu high, boost held 1 s\n"
              "\n"
              "preset                           body       airtime s   distance uu    side uu   top height uu   landing speed uu/s   descent deg\n"
              "stock                            octane         3.684        8035.8        0.0          1179.8               2300.0          29.9\n"
              "1 Light glide                    octane         6.210       13062.5        0.0          1697.5               2118.7          25.4\n"
              "2 Fast heavy-drag flier          octane         9.722       22681.8        0.0          4579.4               2532.0          49.1\n"
              "3 High-lift glider, no boost     octane         7.340          -7.2<       0.0          1052.5                201.8          66.8\n"
              "4 Flat wide wing                 octane         8.942        2702.8<       0.0          2211.1                926.3          59.3\n"
              "5 Dense air, all drag, no boost  octane        10.000+         15.1        0.0           307.0                  1.1          90.0\n"
              "stock                            merc           3.684        8035.8        0.0          1179.8               2300.0          29.9\n"
              "1 Light glide                    merc           6.157       12905.8        0.0          1671.3               2097.5          25.3\n"
              "2 Fast heavy-drag flier          merc           9.583       21822.7        0.0          4522.2               2481.6          50.5\n"
              "3 High-lift glider, no boost     merc           7.356          -4.3<       0.0          1027.1                194.0          67.4\n"
              "4 Flat wide wing                 merc           8.942        2702.8<       0.0          2211.0                926.3          59.3\n"
              "5 Dense air, all drag, no boost  merc          10.000+         15.1        0.0           307.0                  1.1          90.0\n"
              "+ still airborne at the time limit: figures are taken there\n"
              "< turned back: the car's motion along the launch heading reversed in flight\n");
}

// A flight the host refuses fails with its set-up's name, and the worker flies on.
TEST(FlightLabFlight, AFailedFlightNamesItsSetupAndTheWorkerGoesOn) {
    LabOptions o = labOptions("failed");
    auto workers = pool(o, 1);
    const double stockAirtime = workers.fly(flightJob(o.launch, setupFor("stock"))).figures.airtimeS;
    flightlab::Setup bad = setupFor("2");
    bad.label = "bad one";
    bad.overrides = {{Slider::lift, std::nanf("")}};
    try {
        // The worker already holds the next job when the failure comes back.
        workers.run({flightJob(o.launch, bad), flightJob(o.launch, setupFor("1"))});
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("bad one: the host refused 'wl_lift nan'"),
                  std::string::npos) << e.what();
    }
    EXPECT_EQ(workers.fly(flightJob(o.launch, setupFor("stock"))).figures.airtimeS, stockAirtime);
}

// A start that fails (no plug-in where the path points) ends the workers already started before
// it says why: none is left running to lay its game folder out after the work folder is gone.
TEST(FlightLabFlight, AFailedStartLeavesNoWorkerBehind) {
    LabOptions o = labOptions("failed-start");
    o.plugin = o.outDir / "not-a-plugin.so";
    wltest::writeFile(o.plugin, "not a library\n");
    EXPECT_THROW(pool(o, 3), std::runtime_error);
    int status = 0;
    errno = 0;
    EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1) << "a worker is still a child of the lab";
    EXPECT_EQ(errno, ECHILD);
}
