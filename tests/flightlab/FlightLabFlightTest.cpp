// Flights through wingleaf-host: stock flight against the closed form, and repeatability.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "Lab.h"
#include "game/PhysicsConstants.h"
#include "support/HostRunner.h"

using namespace flightlab;
namespace phys = host::phys;

namespace {

LabOptions labOptions(const std::string& name) {
    std::string error;
    bool help = false;
    auto o = parseOptions({"--hud-preset", "none"}, error, help);
    o->outDir = wltest::freshRoot(name);
    return *o;
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
    const Flight f = fly(o, setupFor("stock"), o.outDir / "run");
    ASSERT_TRUE(f.landed);

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
    // Free fall down to the height at which the lab calls the car landed:
    // z = zb + (vzb + g dt / 2) t + g t^2 / 2.
    const double landZ = f.samples.back().z;
    const double vz = vzb + g * dt / 2;
    const double fall = (-vz - std::sqrt(vz * vz - 2 * g * (zb - landZ))) / g;
    const double airtime = tb + fall;
    const double distance = xb + vxb * fall;

    EXPECT_NEAR(f.airtimeS, airtime, kTickS) << "airtime";
    EXPECT_NEAR(f.distanceUu, distance, vxb * kTickS) << "distance";
    EXPECT_LT(f.landingSpeedUu, phys::kCarMaxSpeedUuS);
}

TEST(FlightLabFlight, SameInputsGiveTheSameTableTwice) {
    std::string tables[2];
    for (int run = 0; run < 2; ++run) {
        LabOptions o = labOptions("repeat" + std::to_string(run));
        o.presets = {"stock", "2", "3"};
        o.launch.timeLimitS = 2;
        std::ostringstream out, err;
        ASSERT_EQ(runLab(o, out, err), 0) << err.str();
        tables[run] = out.str();
    }
    EXPECT_EQ(tables[0], tables[1]);
    EXPECT_NE(tables[0].find("stock"), std::string::npos);
}

// The lift term pushes along the car's up axis in proportion to forward speed and damps the
// speed along that axis, so more lift keeps the car up longer on the default launch.
TEST(FlightLabFlight, MoreLiftMeansMoreAirtime) {
    LabOptions o = labOptions("lift-sweep");
    o.launch.timeLimitS = 20;
    std::vector<double> airtimes;
    for (const char* lift : {"0", "2", "4", "6", "8", "10"}) {
        auto setup = setupFor("3");
        setup.overrideVar = "wl_lift";
        setup.overrideValue = lift;
        const Flight f = fly(o, setup, o.outDir / (std::string("lift") + lift));
        EXPECT_TRUE(f.landed) << "lift " << lift;
        airtimes.push_back(f.airtimeS);
    }
    for (std::size_t i = 1; i < airtimes.size(); ++i)
        EXPECT_GT(airtimes[i], airtimes[i - 1]) << "step " << i;
}
