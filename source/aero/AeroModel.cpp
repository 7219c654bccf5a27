// The per-tick aerodynamic model's arithmetic: drag per car axis, stabilisation, lift, multipliers.
#include "aero/AeroModel.h"

#include <cmath>

#include "aero/StockValues.h"
#include "aero/VectorUtils.h"

namespace aero {
namespace {

float dot(const Vector& a, const Vector& b) { return a.X * b.X + a.Y * b.Y + a.Z * b.Z; }

bool isFinite(const Vector& a) {
    return std::isfinite(a.X) && std::isfinite(a.Y) && std::isfinite(a.Z);
}

// A rotated unit vector divided by its own length; a zero vector (zero quaternion) stays zero.
Vector unitAxis(const Vector& a) {
    const float len = sqrtOfFloat(dot(a, a));
    if (len == 0.0f) return a;
    return Vector(a.X / len, a.Y / len, a.Z / len);
}

// One axis's share of the drag: the cosine between the velocity and the axis, taken through the
// velocity's mirror image about the axis, and the velocity's component along the axis, negated.
struct AxisDrag {
    float cosine;
    Vector along;
};

AxisDrag axisDrag(const Vector& v, const Vector& axis, float speedAlong) {
    const float twice = 2.0f * speedAlong;
    const Vector mirror(twice * axis.X - v.X, twice * axis.Y - v.Y, twice * axis.Z - v.Z);
    const float mirrorLen = sqrtOfFloat(dot(mirror, mirror));
    AxisDrag out{0.0f, Vector(-0.5f * (mirror.X + v.X), -0.5f * (mirror.Y + v.Y),
                              -0.5f * (mirror.Z + v.Z))};
    // At rest there is no direction of travel and so no drag.
    if (mirrorLen != 0.0f) {
        const Vector m(mirror.X / mirrorLen, mirror.Y / mirrorLen, mirror.Z / mirrorLen);
        out.cosine = dot(m, axis);
    }
    return out;
}

// The fraction of the total face area that faces one axis; no area at all means no drag.
float areaShare(float area, float total) { return total != 0.0f ? area / total : 0.0f; }

Vector finiteOrZero(const Vector& a) { return isFinite(a) ? a : Vector(0.0f, 0.0f, 0.0f); }

// One world component of the drag increment: the model's drag times its drag setting. Scaled
// up, the drag could carry the velocity past zero in one tick, turning the motion around and
// leaving the car jittering; where it would, the scaled drag brings the component to a stop,
// or goes no further than the model's own drag where that alone already passes zero (a tilted
// car's axis drag can do so on a small component). A setting of 1 or less never reaches the
// bound, so the usual flights are untouched.
float scaledDrag(float velocity, float drag, float scale) {
    const float scaled = scale * drag;
    const float after = velocity + scaled;
    const bool reverses = (velocity > 0.0f && after < 0.0f) || (velocity < 0.0f && after > 0.0f);
    if (!reverses || std::fabs(scaled) <= std::fabs(drag)) return scaled;
    return std::fabs(drag) > std::fabs(velocity) ? drag : -velocity;
}

float finiteOr(float value, float fallback) { return std::isfinite(value) ? value : fallback; }

// k = 1300 / s truncated; saturated where the quotient leaves the exact range (s near 0).
int torqueScale(float speed) {
    const float quotient = kGroundReleaseSpeedUu / speed;
    if (quotient < static_cast<float>(kMaxTorqueScale)) return static_cast<int>(quotient);
    return kMaxTorqueScale;
}

int throughFloat(int value) { return static_cast<int>(static_cast<float>(value)); }

}  // namespace

float sqrtOfFloat(float x) { return static_cast<float>(std::sqrt(static_cast<double>(x))); }

AeroStep computeAeroStep(const Quat& q, const Vector& v, const Vector& extent,
                         const AeroSettings& st) {
    AeroStep out{};
    const float s = sqrtOfFloat(dot(v, v));
    out.speedUu = s;

    const Vector r = unitAxis(rotateByQuat(Vector(0.0f, 1.0f, 0.0f), q));
    const Vector u = unitAxis(rotateByQuat(Vector(0.0f, 0.0f, 1.0f), q));
    const Vector f = unitAxis(rotateByQuat(Vector(1.0f, 0.0f, 0.0f), q));
    const float dR = dot(r, v);
    const float dU = dot(u, v);
    const float dF = dot(f, v);

    const AxisDrag onR = axisDrag(v, r, dR);
    const AxisDrag onU = axisDrag(v, u, dU);
    const AxisDrag onF = axisDrag(v, f, dF);

    const float rho = st.airDensity;
    const float len = st.length * extent.X;
    const float wid = st.width * extent.Y;
    const float hei = st.height * extent.Z;
    const float areaR = len * hei;
    const float areaU = len * wid;
    const float areaF = hei * wid;
    const float total = areaR + areaU + areaF;

    const float kR = std::fabs(onR.cosine * areaShare(areaR, total) * rho);
    const float kU = std::fabs(onU.cosine * areaShare(areaU, total) * rho);
    const float kF = std::fabs(onF.cosine * areaShare(areaF, total) * rho);
    out.drag = finiteOrZero(Vector(
        scaledDrag(v.X, kF * onF.along.X + kU * onU.along.X + kR * onR.along.X, st.dragX),
        scaledDrag(v.Y, kF * onF.along.Y + kU * onU.along.Y + kR * onR.along.Y, st.dragY),
        scaledDrag(v.Z, kF * onF.along.Z + kU * onU.along.Z + kR * onR.along.Z, st.dragZ)));

    // The turn axis is perpendicular to nose and travel; with the two parallel (or at rest)
    // there is none and the car is left to turn as it does.
    const Vector n(f.Y * v.Z - f.Z * v.Y, f.Z * v.X - f.X * v.Z, f.X * v.Y - f.Y * v.X);
    const float nLen = sqrtOfFloat(dot(n, n));
    if (nLen != 0.0f) {
        out.spin = finiteOrZero(Vector(st.pitch * (n.X / nLen) * rho, st.roll * (n.Y / nLen) * rho,
                                       st.yaw * (n.Z / nLen) * rho));
    }

    const float liftScale = rho * st.lift;
    out.lift = finiteOrZero(Vector(
        liftScale * (0.2f * dF * u.X - 0.05f * dF * f.X - 0.25f * dR * r.X - 0.25f * dU * u.X),
        liftScale * (0.2f * dF * u.Y - 0.05f * dF * f.Y - 0.25f * dR * r.Y - 0.25f * dU * u.Y),
        liftScale * (0.2f * dF * u.Z - 0.05f * dF * f.Z - 0.25f * dR * r.Z - 0.25f * dU * u.Z)));

    out.maxLinearSpeed = finiteOr(st.speed * stock::kMaxLinearSpeedUu, stock::kMaxLinearSpeedUu);
    out.boostForce = finiteOr(st.boost * stock::kBoostForce, stock::kBoostForce);
    out.throttleForce = finiteOr(st.throttle * stock::kAirThrottleForce, stock::kAirThrottleForce);

    const int k = torqueScale(s);
    out.scaledAirTorque = Rotator(throughFloat(stock::kAirTorquePitch * k),
                                  throughFloat(stock::kAirTorqueYaw * k),
                                  throughFloat(stock::kAirTorqueRoll * k));
    return out;
}

}  // namespace aero
