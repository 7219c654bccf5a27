// Vector rotation by a quaternion: known rotations and agreement with the host's rotation.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "aero/VectorUtils.h"

namespace {

void expectNear(Vector actual, Vector expected) {
    constexpr float kTolerance = 1e-6f;
    EXPECT_NEAR(actual.X, expected.X, kTolerance);
    EXPECT_NEAR(actual.Y, expected.Y, kTolerance);
    EXPECT_NEAR(actual.Z, expected.Z, kTolerance);
}

TEST(RotateByQuat, RotatesByUnitQuaternions) {
    const float h = std::sin(std::numbers::pi_v<float> / 4.0f);
    const float c = std::cos(std::numbers::pi_v<float> / 4.0f);
    struct Case {
        Vector v;
        Quat q;  // constructed W first
        Vector expected;
    };
    const Case cases[] = {
        {Vector(1, 0, 0), Quat(1, 0, 0, 0), Vector(1, 0, 0)},
        {Vector(1.5f, -2, 3), Quat(1, 0, 0, 0), Vector(1.5f, -2, 3)},
        // 90 degrees about Z: forward turns to the right (Y).
        {Vector(1, 0, 0), Quat(c, 0, 0, h), Vector(0, 1, 0)},
        // 90 degrees about X: Y turns to Z.
        {Vector(0, 1, 0), Quat(c, h, 0, 0), Vector(0, 0, 1)},
        // 90 degrees about Y: Z turns to X.
        {Vector(0, 0, 1), Quat(c, 0, h, 0), Vector(1, 0, 0)},
        // 180 degrees about Z.
        {Vector(1, 2, 3), Quat(0, 0, 0, 1), Vector(-1, -2, 3)},
        // -q is the same rotation as q.
        {Vector(1, 0, 0), Quat(-c, 0, 0, -h), Vector(0, 1, 0)},
    };
    for (const Case& k : cases) expectNear(rotateByQuat(k.v, k.q), k.expected);
}

TEST(RotateByQuat, MatchesTheHostRotationAndDoesNotNormalise) {
    std::mt19937 random(7u);
    std::uniform_real_distribution<float> d(-2.0f, 2.0f);
    for (int i = 0; i < 200; ++i) {
        const Quat q(d(random), d(random), d(random), d(random));
        const Vector v(d(random), d(random), d(random));
        const Vector r = rotateByQuat(v, q);
        const Vector expected = RotateVectorWithQuat(v, q);
        EXPECT_NEAR(r.X, expected.X, 1e-4f);
        EXPECT_NEAR(r.Y, expected.Y, 1e-4f);
        EXPECT_NEAR(r.Z, expected.Z, 1e-4f);
        // A non-unit q scales the length by its squared norm.
        const float norm2 = q.X * q.X + q.Y * q.Y + q.Z * q.Z + q.W * q.W;
        EXPECT_NEAR(r.magnitude(), v.magnitude() * norm2, 1e-3f * (1.0f + norm2 * v.magnitude()));
    }
    expectNear(rotateByQuat(Vector(1, 2, 3), Quat(0, 0, 0, 0)), Vector(0, 0, 0));
}

}  // namespace
