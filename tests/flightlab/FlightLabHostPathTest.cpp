// The cross-check's own pieces: the script it gives wingleaf-host, and the reading of the state
// lines it prints back into a flight's figures.
#include <gtest/gtest.h>

#include <tuple>

#include "HostFlights.h"
#include "Lab.h"

using namespace flightlab;

TEST(FlightLabFlight, ScriptSetsUpTheLaunchAndReleasesBoostOnTime) {
    Launch launch;
    launch.boostSeconds = 0.025;  // three ticks
    launch.timeLimitS = 0.05;     // six ticks
    const auto stock = setupFor("stock");
    const std::string script = hostpath::flightScript(launch, stock);
    EXPECT_NE(script.find("wl_enabled 0\n"), std::string::npos);
    EXPECT_NE(script.find("sim_set car 0 location 0 0 300\n"), std::string::npos);
    EXPECT_NE(script.find("sim_input boost 1\n"), std::string::npos);
    // Boost is let go after the third tick, before the fourth.
    std::size_t pos = 0;
    int ticksBeforeRelease = 0;
    const std::size_t release = script.find("sim_input boost 0\n");
    ASSERT_NE(release, std::string::npos);
    while ((pos = script.find("sim_tick 1\n", pos)) != std::string::npos && pos < release) {
        ++ticksBeforeRelease;
        ++pos;
    }
    EXPECT_EQ(ticksBeforeRelease, 3);
    auto glide = setupFor("My Glide");
    glide.body = "merc";
    const std::string glideScript = hostpath::flightScript(launch, glide);
    EXPECT_NE(glideScript.find("wl_preset \"My Glide\"\nwl_enabled 1\n"), std::string::npos);
    EXPECT_NE(glideScript.find("sim_set car 0 extent 61.61 39.605 22.0795\n"), std::string::npos);
}

TEST(FlightLabFlight, StateReadsGiveSamplesCutAtTouchdown) {
    const std::string out =
        "Some plug-in line\n"
        "car0.location = 0, 0, 100\ncar0.velocity = 120, 0, 0\n"
        "car0.quaternion = 0.5, -0.5, 0.5, 0.5\ncar0.angular_velocity = 0.25, -1.5, 3\ncar0.on_ground = 0\n"
        "car0.location = 1, 0, 150\ncar0.velocity = 120, 0, 10\ncar0.on_ground = 0\n"
        "car0.location = 2, 0, 60\ncar0.velocity = 120, 0, -50\ncar0.on_ground = 0\n"
        "car0.location = 3, 4, 17\ncar0.velocity = 30, 40, 0\ncar0.on_ground = 1\n"
        "car0.location = 4, 4, 17\ncar0.velocity = 30, 40, 0\ncar0.on_ground = 1\n";
    Flight f;
    f.samples = hostpath::parseSamples(out);
    ASSERT_EQ(f.samples.size(), 5u);
    const Sample& first = f.samples.front();
    EXPECT_EQ(std::tie(first.qw, first.qx, first.qy, first.qz), std::make_tuple(0.5, -0.5, 0.5, 0.5));
    EXPECT_EQ(std::tie(first.wx, first.wy, first.wz), std::make_tuple(0.25, -1.5, 3.0));
    // A state read without orientation keeps the level car's.
    EXPECT_EQ(f.samples[1].qw, 1);
    EXPECT_EQ(f.samples[1].wz, 0);
    summarise(f, Launch{});
    ASSERT_EQ(f.samples.size(), 4u);
    EXPECT_TRUE(f.figures.landed);
    EXPECT_GT(f.figures.airtimeS, 2 * kTickS);
    EXPECT_LE(f.figures.airtimeS, 3 * kTickS);
    EXPECT_DOUBLE_EQ(f.figures.topHeightUu, 150);
    EXPECT_EQ(f.figures.apexTick, 1);
}
