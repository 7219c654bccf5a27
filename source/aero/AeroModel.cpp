// The per-tick aerodynamic model's arithmetic: the car's axes, then drag, stabilisation and lift,
// then the multiplied stock values.
#include "aero/AeroModel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "aero/DragStep.h"

namespace aero {

namespace {

float dot(const Vector& a, const Vector& b) { return Vector::dot(a, b); }

bool isFinite(const Vector& a) {
    return std::isfinite(a.X) && std::isfinite(a.Y) && std::isfinite(a.Z);
}

Vector finiteOrZero(const Vector& a) { return isFinite(a) ? a : Vector(0.0f, 0.0f, 0.0f); }

float finiteOr(float value, float fallback) { return std::isfinite(value) ? value : fallback; }

// One value for each of the car's right, up and forward axes, in lanes kR, kU and kF; the
// fourth lane is padding that nothing reads. The model takes the same steps for the three
// axes, and in this layout the compiler takes each step for all three with one vector
// instruction. Every lane computes exactly what the step computes for one axis alone.
constexpr int kR = 0, kU = 1, kF = 2, kLanes = 4;
using Lanes = float[kLanes];

// A float's bits and back, as std::bit_cast gives them (the plug-in also builds as C++17).
std::uint32_t bitsOf(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float fromBits(std::uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

constexpr std::uint32_t kBitsOf1 = 0x3f800000u;  // 1.0f

// The divisor for a quotient the model leaves undefined at zero: 1 there, so that the division
// still runs in every lane (and changes nothing) and the caller picks its own value instead.
float divisorOr1(float d) { return d == 0.0f ? 1.0f : d; }

// The square root of a sum of squares, or 1 where the sum is 0: divisorOr1 of the root, with the
// choice made beside the root instead of after it. A square is never -0, so the root of a zero
// sum is +0, all bits clear, and setting the bits of 1 into it gives 1; any other root keeps
// its bits.
float rootOr1(float sumOfSquares) {
    const std::uint32_t one = sumOfSquares == 0.0f ? kBitsOf1 : 0u;
    return fromBits(bitsOf(sqrtOfFloat(sumOfSquares)) | one);
}

// The value where the mask is all ones, +0 where it is zero: a choice without a branch.
float keepOrZero(std::uint32_t mask, float value) { return fromBits(bitsOf(value) & mask); }

// The car's axes in world coordinates, component by component, and the signed speeds along
// them (dR, dU, dF).
struct CarAxes {
    Lanes x, y, z;
    Lanes speed;
    Vector axis(int lane) const { return Vector(x[lane], y[lane], z[lane]); }
};

// The unit vectors (0, 1, 0), (0, 0, 1) and (1, 0, 0) rotated by q as rotateByQuat does it,
// q (0, v) q*, then each divided by its own length; a zero vector (zero quaternion) stays zero.
CarAxes carAxes(const Quat& q, const Vector& v) {
    constexpr Lanes ex{0.0f, 0.0f, 1.0f, 0.0f}, ey{1.0f, 0.0f, 0.0f, 0.0f}, ez{0.0f, 1.0f, 0.0f, 0.0f};
    CarAxes ax;
    Lanes len;
    for (int i = 0; i < kLanes; ++i) {
        const float t0 = -(q.X * ex[i] + q.Y * ey[i] + q.Z * ez[i]);
        const float t1 = q.W * ex[i] + q.Y * ez[i] - q.Z * ey[i];
        const float t2 = q.W * ey[i] + q.Z * ex[i] - q.X * ez[i];
        const float t3 = q.W * ez[i] + q.X * ey[i] - q.Y * ex[i];
        ax.x[i] = -q.X * t0 + q.W * t1 - q.Z * t2 + q.Y * t3;
        ax.y[i] = -q.Y * t0 + q.Z * t1 + q.W * t2 - q.X * t3;
        ax.z[i] = -q.Z * t0 - q.Y * t1 + q.X * t2 + q.W * t3;
    }
    for (int i = 0; i < kLanes; ++i)
        len[i] = rootOr1(ax.x[i] * ax.x[i] + ax.y[i] * ax.y[i] + ax.z[i] * ax.z[i]);
    for (int i = 0; i < kLanes; ++i) {
        ax.x[i] /= len[i];
        ax.y[i] /= len[i];
        ax.z[i] /= len[i];
        ax.speed[i] = ax.x[i] * v.X + ax.y[i] * v.Y + ax.z[i] * v.Z;
    }
    return ax;
}

// Each axis's drag coefficient k = |cosine x area share x density|, and the velocity's component
// along the axis, negated. The cosine between the velocity and the axis is taken through the
// velocity's mirror image M about the axis, as (M / |M|).axis; at rest there is no direction of
// travel and so no drag. No face area at all means no drag either.
struct AxisDrag {
    Lanes k;
    Lanes x, y, z;  // the negated component along each axis
};

AxisDrag axisDrag(const Vector& v, const CarAxes& ax, const Lanes& area, float rho) {
    const float total = area[kR] + area[kU] + area[kF];
    const float totalOr1 = divisorOr1(total);
    Lanes mx, my, mz, mirrorSquared;
    AxisDrag out;
    for (int i = 0; i < kLanes; ++i) {
        const float twice = 2.0f * ax.speed[i];
        mx[i] = ax.x[i] * twice - v.X;
        my[i] = ax.y[i] * twice - v.Y;
        mz[i] = ax.z[i] * twice - v.Z;
        out.x[i] = (mx[i] + v.X) * -0.5f;
        out.y[i] = (my[i] + v.Y) * -0.5f;
        out.z[i] = (mz[i] + v.Z) * -0.5f;
    }
    for (int i = 0; i < kLanes; ++i) mirrorSquared[i] = mx[i] * mx[i] + my[i] * my[i] + mz[i] * mz[i];
    // Where a quotient is undefined its divisor is taken as 1 and the quotient as 0 (as if its
    // numerator were 0), which gives the cosine or share 0 up to its sign, and the absolute
    // value drops the sign. Choosing between quotients rather than between divisions keeps every
    // division unconditional.
    Lanes len, cx, cy, cz, share;
    for (int i = 0; i < kLanes; ++i) {
        len[i] = rootOr1(mirrorSquared[i]);
        cx[i] = mx[i] / len[i];
        cy[i] = my[i] / len[i];
        cz[i] = mz[i] / len[i];
        share[i] = area[i] / totalOr1;
    }
    const std::uint32_t areaMask = total != 0.0f ? ~0u : 0u;
    for (int i = 0; i < kLanes; ++i) {
        // the mirror's length is 0 exactly where its square is
        const std::uint32_t moving = mirrorSquared[i] != 0.0f ? ~0u : 0u;
        cx[i] = keepOrZero(moving, cx[i]);
        cy[i] = keepOrZero(moving, cy[i]);
        cz[i] = keepOrZero(moving, cz[i]);
        share[i] = keepOrZero(areaMask, share[i]);
    }
    for (int i = 0; i < kLanes; ++i) {
        const float cosine = cx[i] * ax.x[i] + cy[i] * ax.y[i] + cz[i] * ax.z[i];
        out.k[i] = std::fabs(cosine * share[i] * rho);
    }
    return out;
}

// The drag where the settings differ or the explicit step would take too much: the smooth step
// where it must, then the speed kept. Apart, so that the usual path stays short.
Vector unusualDrag(const Vector& v, const CarAxes& ax, const Lanes& k, const Vector& settings,
                   const Vector& explicitDrag, bool explicitStep) {
    Vector drag = explicitDrag;
    if (!explicitStep) {
        const Vector axes[3] = {ax.axis(kR), ax.axis(kU), ax.axis(kF)};
        const float kk[3] = {k[kR], k[kU], k[kF]};
        drag = smoothDragIncrement(v, axes, kk, settings);
    }
    if (settings.X != settings.Y || settings.Y != settings.Z) drag = noFasterThanBefore(v, drag);
    return drag;
}

// Quadratic drag along each car axis, weighted by the share of the scaled collision box's face
// area that faces the axis; the drag settings scale its world components. While the largest
// setting times the largest axis coefficient is at most 1/2 (so always while it times the air
// density is), no eigenvalue of the scaled drag map exceeds 1/2 and the drag is the model's
// increment scaled. Past an eigenvalue of 1 that increment would take more than the velocity
// along its direction, turning the car's motion round and speeding it up tick after tick: the
// smooth step takes over, the same up to 1/2 and decaying past it, so that the velocity after
// the tick is continuous in every setting and, with equal settings, falls as the drag or the
// density rises. Last, drag alone never raises the speed. With equal settings the step is a
// contraction, any rise there is rounding, and the step is left as it is.
Vector dragIncrement(const Vector& v, const CarAxes& ax, const Vector& extent,
                     const SliderValues& sliders) {
    const float len = sliders[Slider::length] * extent.X;
    const float wid = sliders[Slider::width] * extent.Y;
    const float hei = sliders[Slider::height] * extent.Z;
    // The padding lane repeats the forward face: nothing reads it.
    const Lanes area{len * hei, len * wid, hei * wid, hei * wid};

    const float rho = sliders[Slider::air_density];
    const AxisDrag d = axisDrag(v, ax, area, rho);
    const Vector settings(sliders[Slider::drag_x], sliders[Slider::drag_y],
                          sliders[Slider::drag_z]);
    const float largest = std::max({settings.X, settings.Y, settings.Z});
    const Vector drag =
        settings * Vector(d.x[kF] * d.k[kF] + d.x[kU] * d.k[kU] + d.x[kR] * d.k[kR],
                          d.y[kF] * d.k[kF] + d.y[kU] * d.k[kU] + d.y[kR] * d.k[kR],
                          d.z[kF] * d.k[kF] + d.z[kU] * d.k[kU] + d.z[kR] * d.k[kR]);
    const bool explicitStep =
        largest * rho <= 0.5f || largest * std::max({d.k[kR], d.k[kU], d.k[kF]}) <= 0.5f;
    if (explicitStep && settings.X == settings.Y && settings.Y == settings.Z)
        return finiteOrZero(drag);
    return finiteOrZero(unusualDrag(v, ax, d.k, settings, drag, explicitStep));
}

// A turn of fixed size about the axis perpendicular to nose and travel; with the two parallel
// (or at rest) there is none and the car is left to turn as it does.
Vector stabilisationIncrement(const Vector& v, const CarAxes& ax, const SliderValues& sliders) {
    const Vector n = Vector::cross(ax.axis(kF), v);
    const float nLen = sqrtOfFloat(dot(n, n));
    if (nLen == 0.0f) return Vector(0.0f, 0.0f, 0.0f);
    const Vector scale(sliders[Slider::pitch], sliders[Slider::roll], sliders[Slider::yaw]);
    return finiteOrZero(scale * (n / nLen) * sliders[Slider::air_density]);
}

// Lift along the up axis in proportion to forward speed, extra forward drag, and damping of the
// sideways and up-axis velocity.
Vector liftIncrement(const CarAxes& ax, const SliderValues& sliders) {
    const Vector terms = ax.axis(kU) * (kLiftPerForwardSpeed * ax.speed[kF]) -
                         ax.axis(kF) * (kForwardDragPerForwardSpeed * ax.speed[kF]) -
                         ax.axis(kR) * (kAxisDamping * ax.speed[kR]) -
                         ax.axis(kU) * (kAxisDamping * ax.speed[kU]);
    return finiteOrZero(terms * (sliders[Slider::air_density] * sliders[Slider::lift]));
}

// k = 1300 / s truncated; saturated where the quotient leaves the exact range (s near 0).
int torqueScale(float speed) {
    const float quotient = kGroundReleaseSpeedUu / speed;
    if (quotient < static_cast<float>(kMaxTorqueScale)) return static_cast<int>(quotient);
    return kMaxTorqueScale;
}

}  // namespace

AeroStep computeAeroStep(const Quat& q, const Vector& v, const Vector& extent,
                         const SliderValues& sliders) {
    AeroStep out{};
    out.speedUu = sqrtOfFloat(dot(v, v));
    // Each product is below 2^24 (kMaxTorqueScale), so the host's float round trip keeps it.
    const int k = torqueScale(out.speedUu);
    out.scaledAirTorque = Rotator(stock::kAirTorquePitch * k, stock::kAirTorqueYaw * k,
                                  stock::kAirTorqueRoll * k);
    out.maxLinearSpeed = finiteOr(sliders[Slider::speed] * stock::kMaxLinearSpeedUu,
                                  stock::kMaxLinearSpeedUu);
    out.boostForce = finiteOr(sliders[Slider::boost] * stock::kBoostForce, stock::kBoostForce);
    out.throttleForce = finiteOr(sliders[Slider::throttle] * stock::kAirThrottleForce,
                                 stock::kAirThrottleForce);

    const CarAxes axes = carAxes(q, v);
    // The drag's chain of roots and quotients is the longest: the lift is written before it, so
    // that it runs in the chain's shadow, and the stabilisation, whose root and quotients would
    // hold up the chain's on the same unit, after it.
    out.lift = liftIncrement(axes, sliders);
    out.drag = dragIncrement(v, axes, extent, sliders);
    out.spin = stabilisationIncrement(v, axes, sliders);
    return out;
}

}  // namespace aero
