// The simulated game driven through wingleaf-host: sim_ lines, plug-in hooks, exit status.
#include <gtest/gtest.h>

#include "wltest/HostRunner.h"

namespace {

using Lines = std::vector<std::string>;

const Lines kSimPlugin{"--plugin", WL_SIM_TEST_PLUGIN};

TEST(SimHost, APluginsHooksFollowModesTicksAndUnload) {
    const auto root = wltest::freshRoot("sim-plugin");
    const auto r = wltest::runHost(root,
                                   {"sim_hooks", "sim_mode freeplay", "sim_tick 2",
                                    "sim_state car 0", "sim_mode menu", "plugin unload SimTestPlugin",
                                    "sim_hooks", "sim_mode freeplay", "sim_tick 1"},
                                   kSimPlugin, false);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const Lines lines = r.lines();
    const Lines expectedHead = {
        "Function TAGame.Car_TA.SetVehicleInput x1",
        "Function TAGame.GameEvent_Soccar_TA.Destroyed x1",
        "Function TAGame.Mutator_Freeplay_TA.Init x2",
        "freeplay init first in freeplay",
        "freeplay init second in freeplay",
        // The hook sees the car before it moves; the push carries it forward after it.
        "tick x=0.0000",
        "tick x=0.9635",
        "car0.location = 2.890625, 0, 17",
    };
    ASSERT_GE(lines.size(), expectedHead.size());
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + expectedHead.size()), expectedHead);
    // Leaving freeplay, then nothing more from the unloaded plug-in.
    EXPECT_EQ(lines.back(), "ended: Function TAGame.GameEvent_Soccar_TA.Destroyed");
}

TEST(SimHost, BadSimLinesReportOnStandardErrorAndSetTheExitStatus) {
    const auto root = wltest::freshRoot("sim-bad");
    const auto r = wltest::runHost(
        root, {"sim_mode freeplay", "sim_set car 0 velocity nan 0 0", "sim_input boost 1",
               "sim_tick 30", "sim_state car 0"},
        {}, false);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "sim_set: velocity needs a finite number, got 'nan'\n");
    const Lines lines = r.lines();
    ASSERT_GE(lines.size(), 2u);
    // Boost from rest on the floor: throttle and boost together, no NaN anywhere.
    EXPECT_EQ(lines[1].rfind("car0.velocity = ", 0), 0u);
    EXPECT_EQ(lines[1].find("nan"), std::string::npos);
    EXPECT_EQ(lines[0].substr(lines[0].size() - 7), ", 0, 17");
}

}  // namespace
