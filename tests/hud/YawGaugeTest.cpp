// The heading gauge's geometry: heading angle, velocity line and the guarded int conversion.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "hud/YawGauge.h"

namespace {

constexpr float kS = 0.70710678f;  // sin 45 degrees = cos 45 degrees
const float kNan = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

// Quat's constructor takes W first.
Quat aboutZ(float s, float w) { return Quat(w, 0, 0, s); }

TEST(YawGauge, HeadingOfDefinedOrientations) {
    struct Case {
        std::string name;
        Quat q;
        float theta, c, sn;
    };
    const std::vector<Case> cases = {
        {"nose along +X", Quat(), 0.0f, 1.0f, 0.0f},
        {"nose along +Y turns left", aboutZ(kS, kS), -1.5707964f, 0.0f, -1.0f},
        {"nose along -Y", aboutZ(-kS, kS), 1.5707964f, 0.0f, 1.0f},
        {"nose along -X", aboutZ(1, 0), 3.1415927f, -1.0f, 0.0f},
        // A pitched car keeps the heading of its nose's horizontal part.
        {"pitched 45 degrees up along +X", Quat(0.9238795f, 0, -0.3826834f, 0), 0.0f, 1.0f, 0.0f},
        // Scaling the quaternion scales F, which the gauge normalises away.
        {"unnormalised quaternion", Quat(2 * kS, 0, 0, 2 * kS), -1.5707964f, 0.0f, -1.0f},
    };
    for (const auto& tc : cases) {
        const hud::GaugeHeading h = hud::gaugeHeading(tc.q);
        EXPECT_TRUE(h.defined) << tc.name;
        EXPECT_NEAR(h.theta, tc.theta, 1e-6) << tc.name;
        EXPECT_NEAR(h.c, tc.c, 1e-6) << tc.name;
        EXPECT_NEAR(h.sn, tc.sn, 1e-6) << tc.name;
    }
}

TEST(YawGauge, NoHeadingWhenTheNoseHasNoHorizontalPart) {
    struct Case {
        std::string name;
        Quat q;
    };
    const std::vector<Case> cases = {
        {"nose straight up", Quat(kS, 0, -kS, 0)},
        {"nose straight down", Quat(kS, 0, kS, 0)},
        {"zero quaternion", Quat(0, 0, 0, 0)},
        {"NaN quaternion", Quat(kNan, 0, 0, 0)},
        {"infinite quaternion", Quat(kInf, 0, 0, 0)},
    };
    for (const auto& tc : cases) EXPECT_FALSE(hud::gaugeHeading(tc.q).defined) << tc.name;
}

TEST(YawGauge, VelocityLineEnds) {
    struct Case {
        std::string name;
        Vector v;
        std::optional<std::pair<int, int>> end;  // dx (right), dy (down)
    };
    const std::vector<Case> cases = {
        {"2300 along +X points up 100", Vector(2300, 0, 0), std::pair{0, -100}},
        {"2300 along +Y points right 100", Vector(0, 2300, 0), std::pair{100, 0}},
        {"1150 along -Y points left 50", Vector(0, -1150, 0), std::pair{-50, 0}},
        {"vertical motion has no line", Vector(0, 0, 500), std::pair{0, 0}},
        {"at rest", Vector(0, 0, 0), std::pair{0, 0}},
        // The squared speed underflows to zero: no division by the zero speed.
        {"speed too small to square", Vector(1e-30f, 0, 0), std::pair{0, 0}},
        {"4600 along -X points down 200", Vector(-4600, 0, 0), std::pair{0, 200}},
        {"NaN velocity", Vector(kNan, 0, 0), std::nullopt},
        {"NaN in the other component", Vector(0, kNan, 0), std::nullopt},
        {"infinite velocity", Vector(kInf, 0, 0), std::nullopt},
        {"speed whose line leaves the int range", Vector(1e12f, 0, 0), std::nullopt},
    };
    for (const auto& tc : cases) {
        const std::optional<hud::GaugeVelocity> g = hud::gaugeVelocity(tc.v);
        ASSERT_EQ(g.has_value(), tc.end.has_value()) << tc.name;
        if (!g) continue;
        EXPECT_EQ(g->dx, tc.end->first) << tc.name;
        EXPECT_EQ(g->dy, tc.end->second) << tc.name;
    }
}

TEST(YawGauge, TruncationRefusesWhatIsNoInt) {
    struct Case {
        double in;
        std::optional<int> out;
    };
    const std::vector<Case> cases = {
        {2.9, 2},
        {-2.9, -2},
        {-0.5, 0},
        {2147483647.0, INT_MAX},
        {-2147483648.0, INT_MIN},
        {2147483647.9, INT_MAX},
        {2147483648.0, std::nullopt},
        {-2147483649.0, std::nullopt},
        {std::nan(""), std::nullopt},
        {std::numeric_limits<double>::infinity(), std::nullopt},
        {-std::numeric_limits<double>::infinity(), std::nullopt},
    };
    for (const auto& tc : cases) EXPECT_EQ(hud::truncToInt(tc.in), tc.out) << tc.in;
}

}  // namespace
