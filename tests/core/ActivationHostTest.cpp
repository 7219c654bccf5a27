// Activation through wingleaf-host: the tick hook's callback count and whether the model acts,
// as wl_enabled, mode events, player restarts and resumes arrive.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wltest/SimState.h"
#include "wltest/HostRunner.h"

namespace {

using wltest::hookCount;
using wltest::kTickEventName;
using wltest::stateField;

const char* const kFreeplayInit = "sim_event \"Function TAGame.Mutator_Freeplay_TA.Init\"";
const char* const kSoccarDestroyed = "sim_event \"Function TAGame.GameEvent_Soccar_TA.Destroyed\"";
const char* const kRestart = "sim_event \"Function GameEvent_TA.Countdown.OnPlayerRestarted\"";
const char* const kResume = "sim_event \"Function ProjectX.GFxDataStore_X.CreateObject\"";

// Marks the car so that one run of the model shows: wl_speed 2 makes its speed limit 4600.
const std::vector<std::string> kProbe = {
    "sim_set car 0 max_linear_speed 1234",
    "sim_event \"Function TAGame.Car_TA.SetVehicleInput\"",
    "sim_state car 0",
    "sim_hooks",
};

struct Step {
    std::vector<std::string> lines;  // run before the probe
    int tickHooks;                   // callbacks on the tick name afterwards
    double speedLimit;               // the car's speed limit after one input update
};

// Runs the steps in one session, probing after each, and checks every probe in order.
void runSteps(const std::string& name, const std::vector<std::string>& setup,
              const std::vector<Step>& steps) {
    std::vector<std::string> lines = setup;
    for (const Step& s : steps) {
        lines.insert(lines.end(), s.lines.begin(), s.lines.end());
        lines.insert(lines.end(), kProbe.begin(), kProbe.end());
    }
    const wltest::HostResult r = wltest::runHost(wltest::freshRoot(name), lines);
    ASSERT_EQ(r.exitCode, 0) << r.err;

    // Each probe answers with the car's state lines, then the hook list: a state line that
    // follows any other line starts the next probe's answer.
    std::vector<std::vector<std::string>> chunks;
    bool inState = false;
    for (const std::string& line : r.lines()) {
        const bool stateLine = line.rfind("car0.", 0) == 0;
        if (stateLine && !inState) chunks.emplace_back();
        inState = stateLine;
        if (!chunks.empty()) chunks.back().push_back(line);
    }
    ASSERT_EQ(chunks.size(), steps.size()) << r.out;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE("step " + std::to_string(i + 1) + ": " +
                     (steps[i].lines.empty() ? std::string("-") : steps[i].lines.front()));
        wltest::HostResult part;
        for (const std::string& line : chunks[i]) part.out += line + "\n";
        EXPECT_EQ(hookCount(chunks[i], kTickEventName), steps[i].tickHooks) << part.out;
        const auto limit = stateField(part, "car0", "max_linear_speed");
        ASSERT_EQ(limit.size(), 1u) << part.out;
        EXPECT_EQ(limit[0], steps[i].speedLimit);
    }
}

const std::vector<std::string> kSliders = {"wl_speed 2"};

TEST(ActivationHost, SwitchingInFreeplay) {
    runSteps("activation-switch", kSliders,
             {
                 {{"sim_mode freeplay"}, 0, 1234},
                 {{"wl_enabled 1"}, 1, 4600},
                 // A second request must not add a second callback.
                 {{"wl_enabled 1"}, 1, 4600},
                 // Off in a mode: hook gone, stock values back (seen before the probe marks it).
                 {{"wl_enabled 0"}, 0, 1234},
                 {{"wl_enabled 1"}, 1, 4600},
             });
}

TEST(ActivationHost, SwitchingOffRestoresStockValues) {
    const std::vector<std::string> lines = {
        "sim_mode freeplay", "wl_speed 2", "wl_boost 3", "wl_throttle 0.5", "wl_air_density 0",
        "wl_enabled 1", "sim_set car 0 on_ground 1", "sim_set car 0 velocity 2000 0 0",
        // Fast on the ground: the tick releases the sticky force.
        "sim_event \"Function TAGame.Car_TA.SetVehicleInput\"",
        "sim_set car 0 air_torque 1 2 3", "wl_enabled 0", "sim_state car 0"};
    const auto r = wltest::runHost(wltest::freshRoot("activation-restore"), lines);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(stateField(r, "car0", "max_linear_speed"), std::vector<double>{2300});
    EXPECT_EQ(stateField(r, "car0", "max_linear_speed2"), std::vector<double>{2300});
    EXPECT_EQ(stateField(r, "car0", "boost_force"), std::vector<double>{178500});
    EXPECT_EQ(stateField(r, "car0", "throttle_force"), std::vector<double>{12000});
    EXPECT_EQ(stateField(r, "car0", "air_torque"), (std::vector<double>{130, 95, 400}));
    EXPECT_EQ(stateField(r, "car0", "sticky_force"), (std::vector<double>{0.5, 1.5}));
}

// Online is not a mode of the model: switching installs nothing and off restores nothing.
TEST(ActivationHost, SwitchingOnlineTouchesNoCar) {
    const std::vector<std::string> lines = {
        "sim_mode online", "sim_set car 0 max_linear_speed 1234", "wl_enabled 1", "sim_hooks",
        "wl_enabled 0", "sim_state car 0"};
    const auto r = wltest::runHost(wltest::freshRoot("activation-online"), lines);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(hookCount(r.lines(), kTickEventName), 0);
    EXPECT_EQ(stateField(r, "car0", "max_linear_speed"), std::vector<double>{1234});
}

TEST(ActivationHost, ModeEvents) {
    runSteps("activation-modes", kSliders,
             {
                 // At the menu there is no mode: switching on installs nothing.
                 {{"wl_enabled 1", "sim_mode freeplay"}, 1, 4600},
                 // Two mode starts in a row still leave one callback.
                 {{kFreeplayInit, kFreeplayInit}, 1, 4600},
                 {{kSoccarDestroyed}, 0, 1234},
                 {{kFreeplayInit}, 1, 4600},
                 // Training is not freeplay: no hook there.
                 {{"sim_mode training"}, 0, 1234},
                 {{"sim_mode freeplay"}, 1, 4600},
             });
}

TEST(ActivationHost, ModeStartWithTheModelOffRemovesTheHook) {
    runSteps("activation-mode-off", kSliders,
             {
                 {{"sim_mode freeplay", "wl_enabled 1"}, 1, 4600},
                 {{"wl_enabled 0", kFreeplayInit}, 0, 1234},
             });
}

TEST(ActivationHost, RestartSuspendsUntilResume) {
    runSteps("activation-restart", kSliders,
             {
                 {{"sim_mode freeplay", "wl_enabled 1"}, 1, 4600},
                 // Paused: the hook goes with the cell and comes back at the resume.
                 {{kRestart}, 0, 1234},
                 {{kResume}, 1, 4600},
                 // A resume without a restart changes nothing.
                 {{kResume}, 1, 4600},
             });
}

// A mode start during the pause must not leave the model switched on without its hook.
TEST(ActivationHost, ModeStartDuringPauseThenResume) {
    runSteps("activation-pause-modestart", kSliders,
             {
                 {{"sim_mode freeplay", "wl_enabled 1", kRestart, kFreeplayInit}, 0, 1234},
                 {{kResume}, 1, 4600},
             });
}

TEST(ActivationHost, RestartWithTheModelOffChangesNothing) {
    runSteps("activation-restart-off", kSliders,
             {
                 {{"sim_mode freeplay", kRestart}, 0, 1234},
                 {{kResume}, 0, 1234},
                 {{kFreeplayInit}, 0, 1234},
             });
}

// Switching off during a restart's pause: the resume must not bring the model back, neither
// at once nor at the next mode start.
TEST(ActivationHost, SwitchOffDuringPauseStaysOff) {
    runSteps("activation-pause-off", kSliders,
             {
                 {{"sim_mode freeplay", "wl_enabled 1", kRestart}, 0, 1234},
                 {{"wl_enabled 0"}, 0, 1234},
                 {{kResume}, 0, 1234},
                 {{kFreeplayInit}, 0, 1234},
                 // Switching on again after all this works as usual.
                 {{"wl_enabled 1"}, 1, 4600},
             });
}

TEST(ActivationHost, SwitchOffAndOnDuringPauseResumes) {
    runSteps("activation-pause-onoff", kSliders,
             {
                 {{"sim_mode freeplay", "wl_enabled 1", kRestart}, 0, 1234},
                 {{"wl_enabled 0", "wl_enabled 1"}, 1, 4600},
                 {{kResume}, 1, 4600},
             });
}

TEST(ActivationHost, UnloadInAGameRestoresStockValues) {
    const std::vector<std::string> lines = {
        "sim_mode freeplay", "wl_speed 2", "wl_boost 3", "wl_enabled 1",
        "sim_set car 0 on_ground 1", "sim_set car 0 velocity 2000 0 0",
        "sim_event \"Function TAGame.Car_TA.SetVehicleInput\"", "plugin unload wingleaf",
        "sim_state car 0", "sim_hooks"};
    const auto r = wltest::runHost(wltest::freshRoot("activation-unload"), lines);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.lines().front(), "Debug5 statement");
    EXPECT_EQ(stateField(r, "car0", "max_linear_speed"), std::vector<double>{2300});
    EXPECT_EQ(stateField(r, "car0", "boost_force"), std::vector<double>{178500});
    EXPECT_EQ(stateField(r, "car0", "sticky_force"), (std::vector<double>{0.5, 1.5}));
    EXPECT_EQ(hookCount(r.lines(), kTickEventName), 0);
}

}  // namespace
