// The overlay drawn in-process on states the console cannot produce: no cars, non-finite values.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "wltest/PluginHarness.h"

namespace {

using Lines = std::vector<std::string>;

const float kNan = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

// The gauge's calls from its first to its last, in a frame where only the gauge is on.
Lines gaugeLines(wltest::PluginHarness& h) {
    h.run("showCarDerivedInfo 0");
    h.run("showSlider 0");
    return h.frameLines();
}

Lines gaugeWithoutHeadingOrVelocity() {
    return {"SetPosition 20, 400",         "SetColor 64, 64, 64, 192",
            "FillBox 200, 200",            "SetColor 255, 255, 255, 255",
            "DrawLine 120, 500, 120, 420", "DrawLine 120, 500, 200, 500",
            "SetPosition 105, 415",        "SetColor 255, 255, 255, 255",
            "DrawString x",                "SetPosition 195, 505",
            "SetColor 255, 255, 255, 255", "DrawString y"};
}

TEST(HudFrame, AServerGameWithoutCarsDrawsNothing) {
    wltest::PluginHarness h(host::Mode::Freeplay);
    ASSERT_FALSE(h.frameLines().empty());
    h.game.serverEvent()->cars.clear();
    EXPECT_EQ(h.frameLines(), Lines{});
}

TEST(HudFrame, NonFiniteStateNeverReachesACoordinate) {
    struct Case {
        std::string name;
        Quat q;
        Vector velocity;
        bool outline;  // the heading is defined
        bool velocityLine;
    };
    const std::vector<Case> cases = {
        {"NaN orientation and velocity", Quat(kNan, kNan, kNan, kNan), Vector(kNan), false, false},
        {"infinite velocity", Quat(), Vector(kInf, 0, 0), true, false},
        {"velocity beyond the int range", Quat(), Vector(0, 1e30f, 0), true, false},
        {"zero quaternion at rest", Quat(0, 0, 0, 0), Vector(0), false, true},
    };
    for (const Case& tc : cases) {
        wltest::PluginHarness h(host::Mode::Freeplay);
        host::Car* car = h.game.localCar();
        ASSERT_NE(car, nullptr);
        car->rb.Quaternion = tc.q;
        car->rb.LinearVelocity = tc.velocity;
        const Lines ops = gaugeLines(h);
        if (!tc.outline && !tc.velocityLine) {
            EXPECT_EQ(ops, gaugeWithoutHeadingOrVelocity()) << tc.name;
            continue;
        }
        const auto count = [&](const std::string& l) { return std::count(ops.begin(), ops.end(), l); };
        EXPECT_EQ(count("SetColor 255, 255, 255, 128"), tc.outline ? 1 : 0) << tc.name;
        EXPECT_EQ(count("SetColor 0, 255, 0, 255"), tc.velocityLine ? 1 : 0) << tc.name;
        EXPECT_EQ(count("DrawString 0.00"), tc.outline ? 1 : 0) << tc.name;
    }
}

TEST(HudFrame, CarPanelWritesNonFiniteNumbersAsText) {
    wltest::PluginHarness h(host::Mode::Freeplay);
    host::Car* car = h.game.localCar();
    car->rb.Location = Vector(kInf, 1e30f, -kInf);
    car->rb.LinearVelocity = Vector(kNan);
    h.run("showYaw 0");
    h.run("showSlider 0");
    const Lines ops = h.frameLines();
    // Box, title and ten rows of label and value: nothing skipped.
    ASSERT_EQ(ops.size(), 3u + 3u + 10u * 6u);
    EXPECT_EQ(ops[11], "DrawString inf, 1000000015047466219876688855040.00, -inf");
}

TEST(HudFrame, OutsideAGameNothingIsDrawn) {
    wltest::PluginHarness h(host::Mode::Freeplay);
    for (host::Mode mode : {host::Mode::Menu, host::Mode::Online}) {
        h.game.setMode(mode);
        EXPECT_EQ(h.frameLines(), Lines{});
    }
}

}  // namespace
