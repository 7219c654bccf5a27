// Tests of the simulated car and ball physics: sign conventions, forces, clamps, floor and ball.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "game/Game.h"
#include "game/Physics.h"

namespace {

using namespace host;
namespace ph = host::phys;

constexpr float kDt = ph::kTickSeconds;

float dot(Vector a, Vector b) { return a.X * b.X + a.Y * b.Y + a.Z * b.Z; }

struct CarFixture : ::testing::Test {
    Game game;
    Car car{&game};

    void airborne(Vector v = Vector()) {
        car.rb.Location = Vector(0, 0, 1000);
        car.rb.LinearVelocity = v;
        car.onGround = 0;
    }
    void ticks(int n) {
        for (int i = 0; i < n; ++i) ASSERT_TRUE(ph::stepCar(car, kDt));
    }
};

Quat quarterTurnAboutZ() { return Quat(std::sqrt(0.5f), 0, 0, std::sqrt(0.5f)); }

// Starting orientations: the identity, facing +Y (a quarter turn), and pitched and rolled.
Quat startOrientation(int which) {
    switch (which) {
        case 0: return Quat();
        case 1: return quarterTurnAboutZ();
        default: return RotatorToQuat(Rotator(3000, -9000, 5000));
    }
}

TEST_F(CarFixture, StickInputsTurnTheCarAsTheirNamesSayInItsOwnFrame) {
    struct Case {
        const char* what;
        float pitch, yaw, roll;
        // Positive when the car turned the named way, in terms of its axes before the turn.
        float (*turned)(const ph::Axes& before, const ph::Axes& after);
        Vector ph::Axes::*pivot;  // the axis the turn is about, which keeps its direction
    };
    const Case cases[] = {
        {"pitch up raises the nose", 1, 0, 0,
         [](const ph::Axes& b, const ph::Axes& a) { return dot(a.forward, b.up); }, &ph::Axes::right},
        {"pitch down lowers the nose", -1, 0, 0,
         [](const ph::Axes& b, const ph::Axes& a) { return -dot(a.forward, b.up); }, &ph::Axes::right},
        {"yaw right turns the nose right", 0, 1, 0,
         [](const ph::Axes& b, const ph::Axes& a) { return dot(a.forward, b.right); }, &ph::Axes::up},
        {"yaw left turns the nose left", 0, -1, 0,
         [](const ph::Axes& b, const ph::Axes& a) { return -dot(a.forward, b.right); }, &ph::Axes::up},
        {"roll right lowers the right side", 0, 0, 1,
         [](const ph::Axes& b, const ph::Axes& a) { return -dot(a.right, b.up); }, &ph::Axes::forward},
        {"roll left raises the right side", 0, 0, -1,
         [](const ph::Axes& b, const ph::Axes& a) { return dot(a.right, b.up); }, &ph::Axes::forward},
    };
    for (int start = 0; start < 3; ++start) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + ", start " + std::to_string(start));
            car.resetToStock(Vector());
            airborne();
            car.rb.Quaternion = startOrientation(start);
            const ph::Axes before = ph::axesOf(car.rb.Quaternion);
            car.input.pitch = c.pitch;
            car.input.yaw = c.yaw;
            car.input.roll = c.roll;
            ticks(20);
            const ph::Axes after = ph::axesOf(car.rb.Quaternion);
            EXPECT_GT(c.turned(before, after), 0.05f);
            EXPECT_NEAR(dot(after.*c.pivot, before.*c.pivot), 1.0f, 1e-4f);
        }
    }
}

TEST(Conventions, HostRotatorConversionAgreesWithTheInputSigns) {
    const ph::Axes pitched = ph::axesOf(RotatorToQuat(Rotator(4096, 0, 0)));
    const ph::Axes yawed = ph::axesOf(RotatorToQuat(Rotator(0, 4096, 0)));
    const ph::Axes rolled = ph::axesOf(RotatorToQuat(Rotator(0, 0, 4096)));
    EXPECT_GT(pitched.forward.Z, 0.3f);  // positive pitch: nose up
    EXPECT_GT(yawed.forward.Y, 0.3f);    // positive yaw: nose toward +Y, the car's right
    EXPECT_LT(rolled.right.Z, -0.3f);    // positive roll: right side down
    // A quarter turn about +Z moves the nose onto +Y, the identity's right side.
    const Vector nose = ph::rotate(quarterTurnAboutZ(), Vector(1, 0, 0));
    EXPECT_NEAR(nose.X, 0.0f, 1e-6f);
    EXPECT_NEAR(nose.Y, 1.0f, 1e-6f);
}

TEST_F(CarFixture, FullStickGivesTheStockAngularAccelerationsFromRest) {
    struct Case {
        float pitch, yaw, roll, expectedRadS2;
    };
    for (const Case& c : {Case{1, 0, 0, 12.4636f}, Case{0, 1, 0, 9.1080f}, Case{0, 0, 1, 38.350f}}) {
        car.resetToStock(Vector());
        airborne();
        car.input.pitch = c.pitch;
        car.input.yaw = c.yaw;
        car.input.roll = c.roll;
        ticks(1);
        const Vector w = car.rb.AngularVelocity;
        EXPECT_NEAR(std::sqrt(dot(w, w)) / kDt, c.expectedRadS2, 0.01f);
    }
}

TEST_F(CarFixture, RollDampingAlwaysActsPitchDampingOnlyWithoutPitchInput) {
    airborne();
    car.rb.AngularVelocity = Vector(-2, 0, 0);  // rolling right (about -forward)
    ticks(1);
    EXPECT_NEAR(car.rb.AngularVelocity.X, -2 + 2 * 50 * ph::kAirTorqueScale * kDt, 1e-4f);

    car.resetToStock(Vector());
    airborne();
    car.rb.AngularVelocity = Vector(0, -2, 0);  // pitching up (about -right)
    car.input.pitch = 1;                        // full input: no damping, only torque
    ticks(1);
    EXPECT_NEAR(car.rb.AngularVelocity.Y, -2 - 130 * ph::kAirTorqueScale * kDt, 1e-4f);
}

// Each tick moves the car by its new velocity (semi-implicit Euler), so after n ticks the fall
// is g t (t + dt) / 2: half a tick of gravity ahead of the parabola.
TEST_F(CarFixture, BallisticFlightMatchesTheClosedFormOfTheStep) {
    const Vector x0(100, -50, 500), v0(300, -200, 800);
    airborne(v0);
    car.rb.Location = x0;
    for (int n = 1; n <= 240; ++n) {
        ticks(1);
        const float t = n * kDt;
        const Vector expected(x0.X + v0.X * t, x0.Y + v0.Y * t,
                              x0.Z + v0.Z * t + 0.5f * ph::kGravityZUuS2 * t * (t + kDt));
        if (expected.Z < 200) break;
        ASSERT_NEAR(car.rb.Location.X, expected.X, 0.05f) << "tick " << n;
        ASSERT_NEAR(car.rb.Location.Y, expected.Y, 0.05f) << "tick " << n;
        ASSERT_NEAR(car.rb.Location.Z, expected.Z, 0.05f) << "tick " << n;
        ASSERT_NEAR(car.rb.LinearVelocity.Z, v0.Z + ph::kGravityZUuS2 * t, 0.01f);
    }
    EXPECT_EQ(car.onGround, 0u);
    EXPECT_FLOAT_EQ(car.rb.Quaternion.W, 1.0f);
}

// The step keeps its own finer copy of the motion between ticks; a location or velocity set in
// between must still be where the next tick starts.
TEST_F(CarFixture, AStateSetBetweenTicksIsWhereTheNextTickStarts) {
    airborne(Vector(120, 0, 0));
    ticks(10);
    car.rb.Location = Vector(5, 6, 700);
    ticks(1);
    EXPECT_NEAR(car.rb.Location.X, 5 + 120 * kDt, 1e-4f);
    EXPECT_NEAR(car.rb.Location.Y, 6, 1e-4f);
    car.rb.LinearVelocity = Vector(0, 0, 0);
    const Vector before = car.rb.Location;
    ticks(1);
    EXPECT_EQ(car.rb.Location.X, before.X);
    EXPECT_NEAR(car.rb.Location.Z, before.Z + ph::kGravityZUuS2 * kDt * kDt, 1e-3f);
}

TEST_F(CarFixture, BoostAndAirThrottleAccelerations) {
    struct Case {
        const char* what;
        bool onGround;
        float speedX;
        bool boost;
        float throttle;
        float boostForce, mass;
        bool hasBoost;
        float expectedAccelX;
    };
    const Case cases[] = {
        // Above the throttle top speed driving adds nothing, so only boost remains.
        {"ground boost", true, 1500, true, 0, 178500, 180, true, 991.667f},
        {"air boost with throttle", false, 0, true, 1, 178500, 180, true, 1058.333f},
        {"air boost applies full throttle", false, 0, true, 0, 178500, 180, true, 1058.333f},
        {"air throttle", false, 0, false, 1, 178500, 180, true, 66.667f},
        {"air reverse throttle", false, 0, false, -1, 178500, 180, true, -66.667f},
        {"doubled boost force", false, 0, true, 1, 357000, 180, true, 2050.0f},
        {"half mass", false, 0, true, 1, 178500, 90, true, 2116.667f},
        {"no boost component", false, 0, true, 0, 178500, 180, false, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        car.resetToStock(Vector(0, 0, ph::kCarRestHeightUu));
        if (!c.onGround) airborne();
        car.rb.LinearVelocity = Vector(c.speedX, 0, 0);
        car.input.boost = c.boost;
        car.input.throttle = c.throttle;
        car.boost.boostForce = c.boostForce;
        car.boost.alive = c.hasBoost;
        car.mass = c.mass;
        ticks(10);
        EXPECT_NEAR((car.rb.LinearVelocity.X - c.speedX) / (10 * kDt), c.expectedAccelX, 0.05f);
        EXPECT_EQ(car.onGround != 0, c.onGround);
    }
}

TEST_F(CarFixture, SpeedIsClampedToTheCarsCurrentMaximum) {
    struct Case {
        float maxSpeed, startSpeed, expected;
    };
    for (const Case& c : {Case{2300, 3000, 2300}, Case{3450, 3000, 3000.0049f}, Case{1000, 1500, 1000},
                          Case{0, 500, 0}}) {
        car.resetToStock(Vector());
        airborne(Vector(c.startSpeed, 0, 0));
        car.maxLinearSpeed = c.maxSpeed;
        ticks(1);
        const Vector v = car.rb.LinearVelocity;
        EXPECT_NEAR(std::sqrt(dot(v, v)), c.expected, 0.01f) << c.maxSpeed;
    }
}

// The clamp skips its square root when the squared norm decides; the bits must be those of
// the clamp that always takes the root. Each vector is tried against limits at its rounded
// length and one and two floats either side, where the two tests could part.
TEST(Clamp, SkippingTheRootGivesTheSameBitsAsTakingIt) {
    const auto takingTheRoot = [](const Vector& v, float limit) {
        const double lim = std::max(0.0f, limit);
        const double n = std::sqrt(double(v.X) * v.X + double(v.Y) * v.Y + double(v.Z) * v.Z);
        if (n <= lim || n == 0.0) return v;
        const double k = lim / n;
        return Vector(float(v.X * k), float(v.Y * k), float(v.Z * k));
    };
    std::vector<Vector> vectors{Vector(), Vector(-0.0f, 0, -0.0f), Vector(3, 4, 0),
                                Vector(FLT_MAX, FLT_MAX, -FLT_MAX), Vector(FLT_TRUE_MIN, 0, 0),
                                Vector(1e-30f, -2e-30f, 3e-30f), Vector(NAN, 1, 1),
                                Vector(INFINITY, 0, 0), Vector(2300, -1, 0.5f)};
    std::uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return float(seed >> 8) / float(1 << 24) * 6000.0f - 3000.0f;
    };
    for (int i = 0; i < 20000; ++i) vectors.push_back(Vector(next(), next(), next() * 0.01f));
    for (const Vector& v : vectors) {
        const float len =
            float(std::sqrt(double(v.X) * v.X + double(v.Y) * v.Y + double(v.Z) * v.Z));
        std::vector<float> limits{0.0f, -1.0f, NAN, INFINITY, FLT_MAX, 5.5f};
        for (float l = len, d = 0; d < 3; ++d, l = std::nextafter(l, 0.0f)) limits.push_back(l);
        for (float l = len, d = 0; d < 3; ++d, l = std::nextafter(l, INFINITY)) limits.push_back(l);
        for (float limit : limits) {
            const Vector got = ph::clampLength(v, limit), want = takingTheRoot(v, limit);
            ASSERT_EQ(std::memcmp(&got, &want, sizeof got), 0)
                << v.X << ' ' << v.Y << ' ' << v.Z << " limit " << limit;
        }
    }
}

TEST_F(CarFixture, AngularSpeedIsClampedTo5Point5) {
    airborne();
    car.rb.AngularVelocity = Vector(0, 0, 10);
    car.input.yaw = 1;
    ticks(1);
    EXPECT_NEAR(car.rb.AngularVelocity.Z, 5.5f, 1e-5f);
    car.rb.AngularVelocity = Vector(4, 4, 4);
    ticks(1);
    const Vector w = car.rb.AngularVelocity;
    EXPECT_NEAR(std::sqrt(dot(w, w)), 5.5f, 1e-4f);
}

TEST_F(CarFixture, RestsOnTheFloorJumpsAndLandsLevel) {
    ticks(120);
    EXPECT_FLOAT_EQ(car.rb.Location.Z, ph::kCarRestHeightUu);
    EXPECT_EQ(car.onGround, 1u);

    car.input.jump = true;
    ticks(1);
    EXPECT_EQ(car.onGround, 0u);
    // The jump tick still feels gravity and the sticky force of the floor it leaves.
    EXPECT_NEAR(car.rb.LinearVelocity.Z, 875.0f / 3 - (650 + 0.5f * 650) * kDt, 1e-3f);

    // Holding the button does not jump again after landing.
    car.input.roll = 1;
    ticks(240);
    EXPECT_EQ(car.onGround, 1u);
    EXPECT_FLOAT_EQ(car.rb.Location.Z, ph::kCarRestHeightUu);
    EXPECT_NEAR(ph::axesOf(car.rb.Quaternion).up.Z, 1.0f, 1e-5f);
}

TEST_F(CarFixture, ThrottleDrivesToTheThrottleTopSpeedAndSteeringTurnsRight) {
    car.input.throttle = 1;
    ticks(600);
    EXPECT_NEAR(car.rb.LinearVelocity.X, ph::kThrottleTopSpeedUuS, 2.0f);
    EXPECT_EQ(car.onGround, 1u);

    car.input.steer = 1;
    ticks(30);
    const ph::Axes ax = ph::axesOf(car.rb.Quaternion);
    EXPECT_GT(ax.forward.Y, 0.2f);
    EXPECT_NEAR(ax.up.Z, 1.0f, 1e-5f);
    EXPECT_GT(car.sim.wheels[0].steer, 0.0f);
    EXPECT_EQ(car.sim.wheels[2].steer, 0.0f);

    car.input.throttle = 0;
    car.input.steer = 0;
    ticks(600);
    EXPECT_EQ(car.rb.LinearVelocity.X, 0.0f);  // coasting stops the car
    EXPECT_EQ(car.rb.LinearVelocity.Y, 0.0f);
}

TEST_F(CarFixture, AStepThatWouldOverflowLeavesTheCarUnchanged) {
    airborne(Vector(3e38f, 0, 0));
    car.maxLinearSpeed = FLT_MAX;
    car.rb.Location.X = FLT_MAX;
    const RBState before = car.rb;
    EXPECT_FALSE(ph::stepCar(car, kDt));
    EXPECT_EQ(car.rb.Location.X, before.Location.X);
    EXPECT_EQ(car.rb.LinearVelocity.X, before.LinearVelocity.X);
}

TEST_F(CarFixture, ADegenerateQuaternionBecomesTheIdentity) {
    airborne();
    car.rb.Quaternion = Quat(0, 0, 0, 0);
    ticks(1);
    EXPECT_FLOAT_EQ(car.rb.Quaternion.W, 1.0f);
}

TEST(BallPhysics, FallsBouncesWithRestitutionAndSettles) {
    Game game;
    Ball ball(&game);
    ball.rb.Location = Vector(0, 0, 500);
    float impact = 0;
    float rebound = 0;
    for (int n = 0; n < 600 && rebound == 0; ++n) {
        const float before = ball.rb.LinearVelocity.Z;
        ASSERT_TRUE(ph::stepBall(ball, kDt));
        if (before < 0 && ball.rb.LinearVelocity.Z > 0) {
            impact = before;
            rebound = ball.rb.LinearVelocity.Z;
        }
    }
    const float expectedImpact = -std::sqrt(2 * 650 * (500 - ph::kBallRestHeightUu));
    // Within the tick it lands in, plus the half tick of gravity the step runs ahead.
    EXPECT_NEAR(impact, expectedImpact, 1.5f * 650 * kDt);
    EXPECT_NEAR(rebound, -0.6f * (impact + ph::kGravityZUuS2 * kDt), 0.5f);
    for (int n = 0; n < 1200; ++n) ASSERT_TRUE(ph::stepBall(ball, kDt));
    EXPECT_FLOAT_EQ(ball.rb.Location.Z, ph::kBallRestHeightUu);
    EXPECT_EQ(ball.rb.LinearVelocity.Z, 0.0f);
}

// A ball lying still is not stepped again until something of it changes; whatever changes,
// the step then gives the same bits as for a ball that never rested.
TEST(BallPhysics, ABallLyingStillMovesAgainExactlyAsAFreshOneWhenItsStateChanges) {
    struct Change {
        const char* what;
        void (*apply)(Ball&);
    };
    const Change changes[] = {
        {"lifted", [](Ball& b) { b.rb.Location.Z = 300.0f; }},
        {"pushed", [](Ball& b) { b.rb.LinearVelocity = Vector(250.0f, -40.0f, 0.0f); }},
        {"spun", [](Ball& b) { b.rb.AngularVelocity = Vector(0.0f, 2.0f, 1.0f); }},
        {"turned off unit length", [](Ball& b) { b.rb.Quaternion = Quat(0.9f, 0.1f, 0.2f, 0.3f); }},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.what);
        Game game;
        Ball resting(&game);
        for (int n = 0; n < 3; ++n) ASSERT_TRUE(ph::stepBall(resting, kDt));
        ASSERT_TRUE(resting.atRest);
        c.apply(resting);
        Ball fresh(&game);
        fresh.rb = resting.rb;
        for (int n = 0; n < 5; ++n) {
            ASSERT_TRUE(ph::stepBall(resting, kDt));
            ASSERT_TRUE(ph::stepBall(fresh, kDt));
            ASSERT_EQ(std::memcmp(&resting.rb, &fresh.rb, offsetof(RBState, Time)), 0) << n;
        }
    }
}

}  // namespace
