// The per-tick model through wingleaf-host: the worked case and the edge cases on a simulated car.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "wltest/SimState.h"
#include "wltest/HostRunner.h"

namespace {

using wltest::stateField;

// Freeplay with the model on and the worked case's sliders: rho 0.1, every scale 1.
std::vector<std::string> workedSetup() {
    return {"sim_mode freeplay", "wl_air_density 0.1", "wl_drag_x 1", "wl_drag_y 1",
            "wl_drag_z 1",       "wl_pitch 1",         "wl_roll 1",   "wl_yaw 1",
            "wl_lift 1",         "wl_enabled 1"};
}

// The car airborne with identity orientation, the given velocity and the worked case's extent.
// Lines appended one by one, not concatenated in a list: GCC 12 at -O2 warns falsely about the
// latter here.
std::vector<std::string> carState(const std::string& velocity, bool onGround) {
    std::vector<std::string> lines;
    lines.emplace_back("sim_set car 0 location 0 0 ").append(onGround ? "17" : "500");
    lines.emplace_back("sim_set car 0 quaternion 1 0 0 0");
    lines.emplace_back("sim_set car 0 velocity ").append(velocity);
    lines.emplace_back("sim_set car 0 angular_velocity 0 0 0");
    lines.emplace_back("sim_set car 0 extent 60 40 20");
    lines.emplace_back("sim_set car 0 on_ground ").append(onGround ? "1" : "0");
    return lines;
}

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

wltest::HostResult runCase(const std::string& name, const std::vector<std::string>& lines) {
    wltest::HostResult r = wltest::runHost(wltest::freshRoot(name), lines);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r;
}

void expectNear(const std::vector<double>& got, const std::vector<double>& want, double tol) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], tol) << "index " << i;
}

const double kS = std::sqrt(1010000.0);
const double kDragX = -1000.0 * (1000.0 / kS) * (800.0 / 4400.0) * 0.1;  // about -18.092
const double kDragZ = -100.0 * (100.0 / kS) * (2400.0 / 4400.0) * 0.1;   // about -0.5427

TEST(AeroHost, WorkedCaseAfterOneInputUpdate) {
    // Repeated install requests must still leave the model running once per input update.
    const std::vector<std::vector<std::string>> extras = {
        {},
        {"wl_enabled 1", "sim_event \"Function TAGame.Mutator_Freeplay_TA.Init\"",
         "sim_event \"Function TAGame.GameInfo_Soccar_TA.InitGameEvent\""},
    };
    for (const auto& extra : extras) {
        SCOPED_TRACE(extra.empty() ? "switched on once" : "install requested four times");
        auto lines = concat(concat(workedSetup(), extra), carState("1000 0 100", false));
        lines.push_back(wltest::kTickEventLine);
        lines.push_back("sim_state car 0");
        const auto r = runCase("aero-worked", lines);
        // Drag (-18.092, 0, -0.5427) and lift (-5, 0, 17.5) added to (1000, 0, 100).
        expectNear(stateField(r, "car0", "velocity"),
                   {1000.0 + kDragX - 5.0, 0.0, 100.0 + kDragZ + 17.5}, 1e-3);
        expectNear(stateField(r, "car0", "angular_velocity"), {0.0, -0.1, 0.0}, 1e-6);
        expectNear(stateField(r, "car0", "air_torque"), {130, 95, 400}, 0);
        expectNear(stateField(r, "car0", "sticky_force"), {0.5, 1.5}, 0);
        expectNear(stateField(r, "car0", "max_linear_speed"), {2300}, 0);
        expectNear(stateField(r, "car0", "max_linear_speed2"), {2300}, 0);
        expectNear(stateField(r, "car0", "boost_force"), {178500}, 0);
        expectNear(stateField(r, "car0", "throttle_force"), {12000}, 0);
    }
}

// One input update from a given car state; the expected velocity, spin, torque and sticky force.
// The arithmetic's own variants are the model test's; these are what the per-tick call decides:
// which stock values it sets back, and when it lets go of torque and sticky force.
struct HostCase {
    const char* name;
    std::vector<std::string> tune;  // lines after the worked setup
    const char* velocity;
    bool onGround;
    std::vector<double> velocityAfter;
    std::vector<double> spinAfter;
    std::vector<double> torque;
    std::vector<double> sticky;
};

TEST(AeroHost, EdgeCasesOfOneInputUpdate) {
    const std::vector<HostCase> cases = {
        {"air density 0: no increments, stock setters still run",
         {"wl_air_density 0"}, "1000 0 100", false, {1000, 0, 100}, {0, 0, 0}, {130, 95, 400},
         {0.5, 1.5}},
        {"on the ground at exactly 1300: torque kept, sticky released",
         {"wl_air_density 0"}, "1300 0 0", true, {1300, 0, 0}, {0, 0, 0}, {130, 95, 400},
         {0, 0}},
        {"on the ground at 1300.5: torque and sticky released", {"wl_air_density 0"},
         "1300.5 0 0", true, {1300.5, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0}},
        {"on the ground at 1299: stock torque and sticky force", {"wl_air_density 0"},
         "1299 0 0", true, {1299, 0, 0}, {0, 0, 0}, {130, 95, 400}, {0.5, 1.5}},
        {"in the air above 1300: stock torque and sticky force", {"wl_air_density 0"},
         "2000 0 0", false, {2000, 0, 0}, {0, 0, 0}, {130, 95, 400}, {0.5, 1.5}},
        {"at rest: no increments and nothing non-finite", {}, "0 0 0", true, {0, 0, 0},
         {0, 0, 0}, {130, 95, 400}, {0.5, 1.5}},
    };
    for (const HostCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto lines = concat(concat(workedSetup(), c.tune), carState(c.velocity, c.onGround));
        lines.push_back("sim_set car 0 sticky_force 7 7");
        lines.push_back("sim_set car 0 air_torque 1 2 3");
        lines.push_back(wltest::kTickEventLine);
        lines.push_back("sim_state car 0");
        const auto r = runCase("aero-edge", lines);
        expectNear(stateField(r, "car0", "velocity"), c.velocityAfter, 1e-3);
        expectNear(stateField(r, "car0", "angular_velocity"), c.spinAfter, 1e-6);
        expectNear(stateField(r, "car0", "air_torque"), c.torque, 0);
        expectNear(stateField(r, "car0", "sticky_force"), c.sticky, 0);
    }
}

TEST(AeroHost, MultipliersScaleTheStockValues) {
    auto lines = concat(workedSetup(), {"wl_speed 1.5", "wl_boost 2", "wl_throttle 0"});
    lines.push_back(wltest::kTickEventLine);
    lines.push_back("sim_state car 0");
    const auto r = runCase("aero-multipliers", lines);
    expectNear(stateField(r, "car0", "max_linear_speed"), {3450}, 0);
    expectNear(stateField(r, "car0", "max_linear_speed2"), {3450}, 0);
    expectNear(stateField(r, "car0", "boost_force"), {357000}, 0);
    expectNear(stateField(r, "car0", "throttle_force"), {0}, 0);
}

// With the gate closed the hooked call changes nothing on the car, stock values included.
TEST(AeroHost, ClosedGateChangesNothing) {
    const std::vector<std::string> marks = {"sim_set car 0 max_linear_speed 1234",
                                            "sim_set car 0 boost_force 55",
                                            "sim_set car 0 sticky_force 7 7"};
    struct Case {
        const char* name;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        // A mode start in training installs the hook; the model itself only acts in freeplay.
        {"outside freeplay",
         {"wl_air_density 0.1", "wl_lift 1", "wl_speed 2", "wl_enabled 1", "sim_mode training"}},
        // A player restart clears the cell but leaves the hook in place.
        {"cell cleared by a player restart",
         {"sim_mode freeplay", "wl_air_density 0.1", "wl_lift 1", "wl_speed 2", "wl_enabled 1",
          "sim_event \"Function GameEvent_TA.Countdown.OnPlayerRestarted\""}},
        {"switched off", {"sim_mode freeplay", "wl_air_density 0.1", "wl_lift 1", "wl_speed 2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto lines = concat(concat(c.lines, carState("1000 0 100", false)), marks);
        lines.push_back(wltest::kTickEventLine);
        lines.push_back("sim_state car 0");
        const auto r = runCase("aero-gate", lines);
        expectNear(stateField(r, "car0", "velocity"), {1000, 0, 100}, 0);
        expectNear(stateField(r, "car0", "angular_velocity"), {0, 0, 0}, 0);
        expectNear(stateField(r, "car0", "max_linear_speed"), {1234}, 0);
        expectNear(stateField(r, "car0", "boost_force"), {55}, 0);
        expectNear(stateField(r, "car0", "sticky_force"), {7, 7}, 0);
    }
}

}  // namespace
