// The model's arithmetic: the worked case, the named edge cases, degenerate inputs, closed form.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <random>

#include "aero/AeroModel.h"
#include "aero/VectorUtils.h"

namespace {

using aero::AeroStep;
using aero::computeAeroStep;

const Quat kIdentity(1.0f, 0.0f, 0.0f, 0.0f);
const Vector kExtent(60.0f, 40.0f, 20.0f);

// rho 0.1, dimensions 1, drag 1, stabilisation 1, lift 1, multipliers 1; then the changes.
SliderValues worked(std::initializer_list<SliderValues::Named> changes = {}) {
    SliderValues s{{Slider::air_density, 0.1f}, {Slider::drag_x, 1}, {Slider::drag_y, 1},
                   {Slider::drag_z, 1},         {Slider::pitch, 1},  {Slider::roll, 1},
                   {Slider::yaw, 1},            {Slider::lift, 1}};
    for (const SliderValues::Named& c : changes) s[c.slider] = c.value;
    return s;
}

void expectVec(const Vector& got, double x, double y, double z) {
    const auto tol = [](double e) { return 2e-6 * std::fabs(e) + 1e-6; };
    EXPECT_NEAR(got.X, x, tol(x));
    EXPECT_NEAR(got.Y, y, tol(y));
    EXPECT_NEAR(got.Z, z, tol(z));
}

void expectRotator(const Rotator& got, int pitch, int yaw, int roll) {
    EXPECT_EQ(got.Pitch, pitch);
    EXPECT_EQ(got.Yaw, yaw);
    EXPECT_EQ(got.Roll, roll);
}

bool allFinite(const AeroStep& s) {
    // The speed itself stays inside the model; everything else reaches the host.
    const float values[] = {s.drag.X, s.drag.Y, s.drag.Z, s.lift.X,         s.lift.Y,
                            s.lift.Z, s.spin.X, s.spin.Y, s.spin.Z,         s.maxLinearSpeed,
                            s.boostForce,       s.throttleForce};
    for (float v : values) {
        if (!std::isfinite(v)) return false;
    }
    return true;
}

// V = (1000, 0, 100): s = sqrt(1010000); S = 4400.
const double kS = std::sqrt(1010000.0);
const double kF = 1000.0 / kS * (800.0 / 4400.0) * 0.1;
const double kU = 100.0 / kS * (2400.0 / 4400.0) * 0.1;

TEST(AeroModel, WorkedCase) {
    const AeroStep step =
        computeAeroStep(kIdentity, Vector(1000, 0, 100), kExtent, worked());
    EXPECT_NEAR(step.speedUu, 1004.98756, 1e-3);
    expectVec(step.drag, -1000.0 * kF, 0, -100.0 * kU);
    expectVec(step.spin, 0, -0.1, 0);
    expectVec(step.lift, -5, 0, 17.5);
    EXPECT_EQ(step.maxLinearSpeed, 2300.0f);
    EXPECT_EQ(step.boostForce, 178500.0f);
    EXPECT_EQ(step.throttleForce, 12000.0f);
    expectRotator(step.scaledAirTorque, 130, 95, 400);
}

// Cases that differ from the worked one in one input; expected increments in world axes.
struct VariantCase {
    const char* name;
    Quat q;
    Vector v;
    Vector extent;
    SliderValues sliders;
    double drag[3];
    double spin[3];
    double lift[3];
};

TEST(AeroModel, VariantsOfTheWorkedCase) {
    const float h = std::sqrt(0.5f);
    const double kStiff = 10.0 * 0.5 * 1000.0 / kS;  // drag_x times k along the nose
    const Quat yaw45(std::cos(0.39269908f), 0, 0, std::sin(0.39269908f));
    const VariantCase cases[] = {
        {"air density 0 zeroes every increment", kIdentity, Vector(1000, 0, 100), kExtent,
         worked({{Slider::air_density, 0}}), {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
        {"drag settings 0 keep stabilisation and lift", kIdentity, Vector(1000, 0, 100), kExtent,
         worked({{Slider::drag_x, 0}, {Slider::drag_y, 0}, {Slider::drag_z, 0}}), {0, 0, 0},
         {0, -0.1, 0}, {-5, 0, 17.5}},
        {"moving backwards reverses lift and forward drag", kIdentity, Vector(-1000, 0, 100),
         kExtent, worked(), {1000.0 * kF, 0, -100.0 * kU}, {0, -0.1, 0},
         {5, 0, -22.5}},
        {"length 0 leaves only the forward face", kIdentity, Vector(1000, 0, 100), kExtent,
         worked({{Slider::length, 0}}), {-1000.0 * (1000.0 / kS) * 0.1, 0, 0},
         {0, -0.1, 0}, {-5, 0, 17.5}},
        {"drag settings scale world components", kIdentity, Vector(1000, 0, 100), kExtent,
         worked({{Slider::drag_x, 2}, {Slider::drag_z, 0}}), {-2000.0 * kF, 0, 0},
         {0, -0.1, 0}, {-5, 0, 17.5}},
        {"stabilisation settings scale world components", kIdentity, Vector(1000, 0, 100),
         kExtent, worked({{Slider::roll, 3}, {Slider::pitch, 0}}), {-1000.0 * kF, 0, -100.0 * kU},
         {0, -0.3, 0}, {-5, 0, 17.5}},
        {"lift 2 doubles the lift only", kIdentity, Vector(1000, 0, 100), kExtent,
         worked({{Slider::lift, 2}}), {-1000.0 * kF, 0, -100.0 * kU}, {0, -0.1, 0},
         {-10, 0, 35}},
        // Yawed 90 degrees right: nose along world +Y, right along world -X.
        {"yawed car: world X setting does not touch drag along Y", Quat(h, 0, 0, h),
         Vector(0, 1000, 100), kExtent, worked({{Slider::drag_x, 0}, {Slider::pitch, 2}}),
         {0, -1000.0 * kF, -100.0 * kU}, {0.2, 0, 0}, {0, -5, 17.5}},
        // Beyond the explicit range (10 k = 4.97 here) the velocity along the nose keeps the
        // share 1 / (2 cbrt(6 x 10 k - 2)), 0.1650, instead of passing zero (-4975 explicit).
        {"stiff drag decays a component without passing zero", kIdentity, Vector(1000, 0, 100),
         kExtent, worked({{Slider::air_density, 0.5f}, {Slider::length, 0}, {Slider::drag_x, 10}}),
         {-1000.0 * (1.0 - 0.5 / std::cbrt(6.0 * kStiff - 2.0)), 0, 0}, {0, -0.5, 0},
         {-25, 0, 87.5}},
        // Yawed 45 degrees, the forward drag's Y part passes a small Y component (-36.06 on 10);
        // the Y setting scales it like any other: speed moves between world axes by design.
        {"settings scale world components that pass zero too", yaw45, Vector(1000, 10, 0),
         kExtent, worked({{Slider::length, 0}, {Slider::drag_y, 3}}),
         {-36.064178, -108.192534, 0}, {0, 0, -0.1}, {-14.9, 9.85, 14.283557}},
        {"sideways travel is damped along the right axis", kIdentity, Vector(0, 500, 0),
         kExtent, worked(), {0, -500.0 * 0.1 * (1200.0 / 4400.0), 0}, {0, 0, 0.1},
         {0, -12.5, 0}},
    };
    for (const VariantCase& c : cases) {
        SCOPED_TRACE(c.name);
        const AeroStep step = computeAeroStep(c.q, c.v, c.extent, c.sliders);
        expectVec(step.drag, c.drag[0], c.drag[1], c.drag[2]);
        expectVec(step.spin, c.spin[0], c.spin[1], c.spin[2]);
        expectVec(step.lift, c.lift[0], c.lift[1], c.lift[2]);
    }
}

TEST(AeroModel, MultipliersScaleTheStockValues) {
    const SliderValues sliders =
        worked({{Slider::speed, 1.5f}, {Slider::boost, 2.0f}, {Slider::throttle, 0.0f}});
    const AeroStep step = computeAeroStep(kIdentity, Vector(1000, 0, 100), kExtent, sliders);
    EXPECT_EQ(step.maxLinearSpeed, 3450.0f);
    EXPECT_EQ(step.boostForce, 357000.0f);
    EXPECT_EQ(step.throttleForce, 0.0f);
}

TEST(AeroModel, AirTorqueScaleIsTheTruncatedQuotient) {
    struct Case {
        float speed;
        int pitch, yaw, roll;
    };
    const Case cases[] = {
        {1300.0f, 130, 95, 400}, {1300.5f, 0, 0, 0},    {1299.0f, 130, 95, 400},
        {650.0f, 260, 190, 800}, {5000.0f, 0, 0, 0},    {100.0f, 1690, 1235, 5200},
        // Tiny speeds saturate instead of overflowing the integer products.
        {1e-3f, 130 * 41943, 95 * 41943, 400 * 41943},
        {1e-18f, 130 * 41943, 95 * 41943, 400 * 41943},
        {0.0f, 130 * 41943, 95 * 41943, 400 * 41943},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.speed);
        const AeroStep step =
            computeAeroStep(kIdentity, Vector(0, 0, c.speed), kExtent, worked());
        EXPECT_EQ(step.speedUu, c.speed);
        expectRotator(step.scaledAirTorque, c.pitch, c.yaw, c.roll);
    }
}

TEST(AeroModel, DegenerateInputsGiveZeroIncrementsNotNaN) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* name;
        Quat q;
        Vector v;
        Vector extent;
        bool dragZero, spinZero, liftZero;
    };
    const Case cases[] = {
        {"at rest", kIdentity, Vector(0, 0, 0), kExtent, true, true, true},
        {"velocity along the nose", kIdentity, Vector(1000, 0, 0), kExtent, false, true, false},
        {"velocity against the nose", kIdentity, Vector(-700, 0, 0), kExtent, false, true, false},
        {"no face area", kIdentity, Vector(1000, 0, 100), Vector(0, 0, 20), true, false, false},
        {"zero quaternion", Quat(0, 0, 0, 0), Vector(1000, 0, 100), kExtent, true, true, true},
        {"speed overflows float", kIdentity, Vector(3e19f, 3e19f, 0), kExtent, true, true, false},
        {"infinite velocity", kIdentity, Vector(inf, 0, 0), kExtent, true, true, true},
        {"NaN velocity", kIdentity, Vector(nan, 0, 0), kExtent, true, true, true},
        {"NaN quaternion", Quat(nan, 0, 0, 0), Vector(10, 20, 30), kExtent, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const AeroStep step = computeAeroStep(c.q, c.v, c.extent, worked());
        EXPECT_TRUE(allFinite(step));
        const auto isZero = [](const Vector& a) { return a.X == 0 && a.Y == 0 && a.Z == 0; };
        EXPECT_EQ(isZero(step.drag), c.dragZero);
        EXPECT_EQ(isZero(step.spin), c.spinZero);
        EXPECT_EQ(isZero(step.lift), c.liftZero);
    }
}

TEST(AeroModel, NonFiniteMultipliersFallBackToStock) {
    const SliderValues sliders = worked({{Slider::speed, std::numeric_limits<float>::infinity()},
                                         {Slider::boost, std::numeric_limits<float>::quiet_NaN()},
                                         // overflows when multiplied
                                         {Slider::throttle, 1e38f}});
    const AeroStep step = computeAeroStep(kIdentity, Vector(1000, 0, 100), kExtent, sliders);
    EXPECT_EQ(step.maxLinearSpeed, 2300.0f);
    EXPECT_EQ(step.boostForce, 178500.0f);
    EXPECT_EQ(step.throttleForce, 12000.0f);
}

// Random orientations and velocities against the closed forms, computed in double:
// drag -rho (A_a/S) |V.a| (V.a)/s a per car axis, stabilisation along F x V, lift as written.
TEST(AeroModel, MatchesClosedFormForRandomStates) {
    std::mt19937 rng(20261207);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_real_distribution<float> vel(-2300.0f, 2300.0f);
    for (int i = 0; i < 2000; ++i) {
        double qd[4] = {unit(rng), unit(rng), unit(rng), unit(rng)};
        const double qn = std::sqrt(qd[0] * qd[0] + qd[1] * qd[1] + qd[2] * qd[2] + qd[3] * qd[3]);
        const Quat q(float(qd[3] / qn), float(qd[0] / qn), float(qd[1] / qn), float(qd[2] / qn));
        const Vector v(vel(rng), vel(rng), vel(rng));
        const SliderValues st = worked({{Slider::air_density, 0.37f},
                                        {Slider::length, 1.2f},
                                        {Slider::width, 0.8f},
                                        {Slider::height, 1.5f},
                                        {Slider::lift, 1.3f}});
        const AeroStep step = computeAeroStep(q, v, kExtent, st);

        // Car axes from the rotation matrix of the normalised quaternion.
        const double x = q.X, y = q.Y, z = q.Z, w = q.W;
        const double F[3] = {1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y)};
        const double R[3] = {2 * (x * y - w * z), 1 - 2 * (x * x + z * z), 2 * (y * z + w * x)};
        const double U[3] = {2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y)};
        const double V[3] = {v.X, v.Y, v.Z};
        const double s = std::sqrt(V[0] * V[0] + V[1] * V[1] + V[2] * V[2]);
        const auto d = [&](const double* a) { return a[0] * V[0] + a[1] * V[1] + a[2] * V[2]; };
        const double L = 1.2 * 60, W = 0.8 * 40, H = 1.5 * 20;
        const double aR = L * H, aU = L * W, aF = H * W, S = aR + aU + aF;
        double drag[3], lift[3], spin[3];
        const double N[3] = {F[1] * V[2] - F[2] * V[1], F[2] * V[0] - F[0] * V[2],
                             F[0] * V[1] - F[1] * V[0]};
        const double nLen = std::sqrt(N[0] * N[0] + N[1] * N[1] + N[2] * N[2]);
        for (int k = 0; k < 3; ++k) {
            drag[k] = -0.37 / s *
                      (aR / S * std::fabs(d(R)) * d(R) * R[k] + aU / S * std::fabs(d(U)) * d(U) * U[k] +
                       aF / S * std::fabs(d(F)) * d(F) * F[k]);
            lift[k] = 0.37 * 1.3 *
                      (0.2 * d(F) * U[k] - 0.05 * d(F) * F[k] - 0.25 * d(R) * R[k] - 0.25 * d(U) * U[k]);
            spin[k] = N[k] / nLen * 0.37;
        }
        const double tol = 2e-3;
        ASSERT_NEAR(step.drag.X, drag[0], tol) << i;
        ASSERT_NEAR(step.drag.Y, drag[1], tol) << i;
        ASSERT_NEAR(step.drag.Z, drag[2], tol) << i;
        ASSERT_NEAR(step.lift.X, lift[0], tol) << i;
        ASSERT_NEAR(step.lift.Y, lift[1], tol) << i;
        ASSERT_NEAR(step.lift.Z, lift[2], tol) << i;
        ASSERT_NEAR(step.spin.X, spin[0], 1e-4) << i;
        ASSERT_NEAR(step.spin.Y, spin[1], 1e-4) << i;
        ASSERT_NEAR(step.spin.Z, spin[2], 1e-4) << i;
    }
}

// Every bit of every result over 100,000 states hashes to a pinned value, so that a rewrite of
// the arithmetic that changes any rounding, sign of zero or fallback shows here. One input in 32
// is a special value (signed zeros, infinities, NaN, subnormal, huge, tiny); some states move
// along the nose of an unturned car or have no orientation at all; two in three have the
// largest drag setting times the density past 1/2, and most have unequal settings. The inputs come from the engine's raw bits, the same everywhere; a
// NaN speed hashes as one value whatever its payload.
TEST(AeroModel, ResultBitsOverOrdinaryAndSpecialStatesHashToThePinnedValue) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float specials[] = {0.0f, -0.0f, inf, -inf, nan, 1e-40f, -1e-40f, 1e30f, -1e-30f, 1, -1};
    const float h = std::sqrt(0.5f);
    const Quat exact[] = {kIdentity, Quat(h, 0, 0, h), Quat(0, 0, 0, 0), Quat(0, 1, 0, 0)};
    std::mt19937 rng(24);
    const auto pick = [&](float lo, float hi) {
        if (rng() % 32 == 0) return specials[rng() % std::size(specials)];
        return lo + (hi - lo) * (static_cast<float>(rng() >> 8) * 0x1p-24f);
    };
    std::uint64_t hash = 0xcbf29ce484222325ull;  // FNV-1a over the results' bits
    const auto add = [&hash](std::uint32_t bits) {
        for (int byte = 0; byte < 4; ++byte, bits >>= 8)
            hash = (hash ^ (bits & 0xffu)) * 0x100000001b3ull;
    };
    for (int i = 0; i < 100000; ++i) {
        float in[10];
        for (float& x : in) x = pick(-1.0f, 1.0f);
        Quat q(in[0], in[1], in[2], in[3]);
        if (rng() % 4 == 0) q = exact[rng() % std::size(exact)];
        Vector v(in[4] * 3000.0f, in[5] * 3000.0f, in[6] * 3000.0f);
        if (rng() % 8 == 0) v = Vector(v.X, 0.0f, 0.0f);
        const Vector extent(in[7] * 100.0f, in[8] * 100.0f, in[9] * 100.0f);
        SliderValues sliders;
        for (Slider s : kSliders)
            sliders[s] = pick(0.0f, s == Slider::air_density ? 0.5f : 10.0f);

        const AeroStep r = computeAeroStep(q, v, extent, sliders);
        for (float x : {r.speedUu, r.drag.X, r.drag.Y, r.drag.Z, r.spin.X, r.spin.Y, r.spin.Z,
                        r.lift.X, r.lift.Y, r.lift.Z, r.maxLinearSpeed, r.boostForce,
                        r.throttleForce})
            add(std::isnan(x) ? 0x7fc00000u : std::bit_cast<std::uint32_t>(x));
        for (int t : {r.scaledAirTorque.Pitch, r.scaledAirTorque.Yaw, r.scaledAirTorque.Roll})
            add(static_cast<std::uint32_t>(t));
    }
    EXPECT_EQ(hash, 0x43c2503bc745463full) << std::hex << "hash 0x" << hash;
}

}  // namespace

// Drag alone from a million random states over the whole slider ranges (lengths, areas and
// density 0 included, settings to 10, density to 0.5, any orientation): the velocity after the
// tick is never turned by 90 degrees or more, the speed never rises, and with the three
// settings equal no component along a car axis changes sign. Float rounding of what is left of a
// velocity brought almost to rest is not a turn: a millionth of the speed is allowed for.
TEST(AeroModel, DragNeverTurnsTheMotionRoundNorSpeedsItUp) {
    std::mt19937 rng(20261207);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_real_distribution<float> fraction(0.0f, 1.0f);
    std::normal_distribution<float> normal;
    const auto slider = [&](float hi) {
        const float pick = fraction(rng);
        return pick < 0.05f ? 0.0f : pick > 0.95f ? hi : hi * fraction(rng);
    };
    constexpr int kStates = 1000000;
    for (int i = 0; i < kStates; ++i) {
        float qc[4] = {normal(rng), normal(rng), normal(rng), normal(rng)};
        const float qn = std::sqrt(qc[0] * qc[0] + qc[1] * qc[1] + qc[2] * qc[2] + qc[3] * qc[3]);
        const Quat q(qc[0] / qn, qc[1] / qn, qc[2] / qn, qc[3] / qn);
        const Vector v = Vector(unit(rng), unit(rng), unit(rng)) * (23000.0f * fraction(rng));
        const Vector extent = i % 4 == 0 ? Vector(slider(100), slider(100), slider(100)) : kExtent;
        const bool equal = i % 2 == 0;
        SliderValues s{{Slider::air_density, slider(0.5f)}, {Slider::length, slider(10)},
                       {Slider::width, slider(10)},         {Slider::height, slider(10)},
                       {Slider::drag_x, slider(10)},        {Slider::drag_y, slider(10)},
                       {Slider::drag_z, slider(10)}};
        if (equal) s[Slider::drag_y] = s[Slider::drag_z] = s[Slider::drag_x];

        const Vector drag = computeAeroStep(q, v, extent, s).drag;
        const Vector after = v + drag;  // as the host adds it
        const double speed = std::sqrt(double(v.X) * v.X + double(v.Y) * v.Y + double(v.Z) * v.Z);
        const auto dotV = [&](const Vector& a) { return double(a.X) * v.X + double(a.Y) * v.Y + double(a.Z) * v.Z; };
        const double slack = 1e-6 * speed;
        const double left = std::sqrt(double(after.X) * after.X + double(after.Y) * after.Y +
                                      double(after.Z) * after.Z);
        ASSERT_FALSE(dotV(after) <= 0.0 && left > slack) << "turned round, state " << i;
        ASSERT_LE(left, speed + slack) << "sped up, state " << i;
        if (!equal) continue;
        for (const Vector& unitAxis : {Vector(1, 0, 0), Vector(0, 1, 0), Vector(0, 0, 1)}) {
            const Vector axis = rotateByQuat(unitAxis, q);
            const auto along = [&](const Vector& a) {
                return double(a.X) * axis.X + double(a.Y) * axis.Y + double(a.Z) * axis.Z;
            };
            ASSERT_FALSE(along(v) * along(after) < 0.0 && std::fabs(along(after)) > slack)
                << "reversed along a car axis, state " << i;
        }
    }
}
