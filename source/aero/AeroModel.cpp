// The per-tick aerodynamic model's arithmetic: the car's axes, then drag, stabilisation and lift,
// then the multiplied stock values.
#include "aero/AeroModel.h"

#include <cmath>

#include "aero/VectorUtils.h"

namespace aero {
namespace {

float dot(const Vector& a, const Vector& b) { return Vector::dot(a, b); }

bool isFinite(const Vector& a) {
    return std::isfinite(a.X) && std::isfinite(a.Y) && std::isfinite(a.Z);
}

Vector finiteOrZero(const Vector& a) { return isFinite(a) ? a : Vector(0.0f, 0.0f, 0.0f); }

float finiteOr(float value, float fallback) { return std::isfinite(value) ? value : fallback; }

// A rotated unit vector divided by its own length; a zero vector (zero quaternion) stays zero.
Vector unitAxis(const Vector& a) {
    const float len = sqrtOfFloat(dot(a, a));
    if (len == 0.0f) return a;
    return a / len;
}

// The car's forward, right and up axes in world coordinates and the signed speeds along them.
struct CarAxes {
    Vector f, r, u;
    float dF, dR, dU;
};

CarAxes carAxes(const Quat& q, const Vector& v) {
    CarAxes ax;
    ax.r = unitAxis(rotateByQuat(Vector(0.0f, 1.0f, 0.0f), q));
    ax.u = unitAxis(rotateByQuat(Vector(0.0f, 0.0f, 1.0f), q));
    ax.f = unitAxis(rotateByQuat(Vector(1.0f, 0.0f, 0.0f), q));
    ax.dR = dot(ax.r, v);
    ax.dU = dot(ax.u, v);
    ax.dF = dot(ax.f, v);
    return ax;
}

// One axis's share of the drag: the cosine between the velocity and the axis, taken through the
// velocity's mirror image about the axis, and the velocity's component along the axis, negated.
struct AxisDrag {
    float cosine;
    Vector along;
};

AxisDrag axisDrag(const Vector& v, const Vector& axis, float speedAlong) {
    const Vector mirror = axis * (2.0f * speedAlong) - v;
    const float mirrorLen = sqrtOfFloat(dot(mirror, mirror));
    AxisDrag out{0.0f, (mirror + v) * -0.5f};
    // At rest there is no direction of travel and so no drag.
    if (mirrorLen != 0.0f) out.cosine = dot(mirror / mirrorLen, axis);
    return out;
}

// The fraction of the total face area that faces one axis; no area at all means no drag.
float areaShare(float area, float total) { return total != 0.0f ? area / total : 0.0f; }

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

// Quadratic drag along each car axis, weighted by the share of the scaled collision box's face
// area that faces the axis; the drag settings scale its world components.
Vector dragIncrement(const Vector& v, const CarAxes& ax, const Vector& extent,
                     const SliderValues& sliders) {
    const AxisDrag onR = axisDrag(v, ax.r, ax.dR);
    const AxisDrag onU = axisDrag(v, ax.u, ax.dU);
    const AxisDrag onF = axisDrag(v, ax.f, ax.dF);

    const float len = sliders[Slider::length] * extent.X;
    const float wid = sliders[Slider::width] * extent.Y;
    const float hei = sliders[Slider::height] * extent.Z;
    const float areaR = len * hei;
    const float areaU = len * wid;
    const float areaF = hei * wid;
    const float total = areaR + areaU + areaF;

    const float rho = sliders[Slider::air_density];
    const float kR = std::fabs(onR.cosine * areaShare(areaR, total) * rho);
    const float kU = std::fabs(onU.cosine * areaShare(areaU, total) * rho);
    const float kF = std::fabs(onF.cosine * areaShare(areaF, total) * rho);
    const Vector drag = onF.along * kF + onU.along * kU + onR.along * kR;
    return finiteOrZero(Vector(scaledDrag(v.X, drag.X, sliders[Slider::drag_x]),
                               scaledDrag(v.Y, drag.Y, sliders[Slider::drag_y]),
                               scaledDrag(v.Z, drag.Z, sliders[Slider::drag_z])));
}

// A turn of fixed size about the axis perpendicular to nose and travel; with the two parallel
// (or at rest) there is none and the car is left to turn as it does.
Vector stabilisationIncrement(const Vector& v, const CarAxes& ax, const SliderValues& sliders) {
    const Vector n = Vector::cross(ax.f, v);
    const float nLen = sqrtOfFloat(dot(n, n));
    if (nLen == 0.0f) return Vector(0.0f, 0.0f, 0.0f);
    const Vector scale(sliders[Slider::pitch], sliders[Slider::roll], sliders[Slider::yaw]);
    return finiteOrZero(scale * (n / nLen) * sliders[Slider::air_density]);
}

// Lift along the up axis in proportion to forward speed, extra forward drag, and damping of the
// sideways and up-axis velocity.
Vector liftIncrement(const CarAxes& ax, const SliderValues& sliders) {
    const Vector terms = ax.u * (kLiftPerForwardSpeed * ax.dF) -
                         ax.f * (kForwardDragPerForwardSpeed * ax.dF) -
                         ax.r * (kAxisDamping * ax.dR) - ax.u * (kAxisDamping * ax.dU);
    return finiteOrZero(terms * (sliders[Slider::air_density] * sliders[Slider::lift]));
}

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
                         const SliderValues& sliders) {
    AeroStep out{};
    out.speedUu = sqrtOfFloat(dot(v, v));

    const CarAxes axes = carAxes(q, v);
    out.drag = dragIncrement(v, axes, extent, sliders);
    out.spin = stabilisationIncrement(v, axes, sliders);
    out.lift = liftIncrement(axes, sliders);

    out.maxLinearSpeed = finiteOr(sliders[Slider::speed] * stock::kMaxLinearSpeedUu,
                                  stock::kMaxLinearSpeedUu);
    out.boostForce = finiteOr(sliders[Slider::boost] * stock::kBoostForce, stock::kBoostForce);
    out.throttleForce = finiteOr(sliders[Slider::throttle] * stock::kAirThrottleForce,
                                 stock::kAirThrottleForce);

    const int k = torqueScale(out.speedUu);
    out.scaledAirTorque = Rotator(throughFloat(stock::kAirTorquePitch * k),
                                  throughFloat(stock::kAirTorqueYaw * k),
                                  throughFloat(stock::kAirTorqueRoll * k));
    return out;
}

}  // namespace aero
