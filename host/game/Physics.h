// One physics tick of a car or a ball on a flat, endless floor, and the vector helpers it uses.
#pragma once
#include <cmath>

#include "GameObjects.h"

namespace host::phys {

// The car's forward, right and up axes in world coordinates.
struct Axes {
    Vector forward, right, up;
};

// q scaled to unit length; the identity when q has no usable length.
Quat normalized(const Quat& q);
// v rotated by the unit quaternion q: q * (0, v) * conj(q). Inline: the step calls it for each
// axis of each body every tick.
inline Vector rotate(const Quat& q, const Vector& v) { return RotateVectorWithQuat(v, q); }
inline Axes axesOf(const Quat& q) {
    return Axes{rotate(q, Vector(1.0f, 0.0f, 0.0f)), rotate(q, Vector(0.0f, 1.0f, 0.0f)),
                rotate(q, Vector(0.0f, 0.0f, 1.0f))};
}
// q turned by the world-frame angular velocity w (rad/s) for dt seconds, renormalised.
Quat integrate(const Quat& q, const Vector& w, float dt);

// v scaled down to the length `limit` when longer (a negative limit counts as 0); the norm is
// taken in double so large finite components do not overflow.
Vector clampLength(const Vector& v, float limit);

// Inline: every wrapper setter checks its value on the plug-ins' per-tick path.
inline bool isFinite(float f) { return std::isfinite(f); }
inline bool isFinite(const Vector& v) {
    return std::isfinite(v.X) && std::isfinite(v.Y) && std::isfinite(v.Z);
}
inline bool isFinite(const Quat& q) {
    return std::isfinite(q.X) && std::isfinite(q.Y) && std::isfinite(q.Z) && std::isfinite(q.W);
}
inline bool isFinite(const RBState& s) {
    return isFinite(s.Quaternion) && isFinite(s.Location) && isFinite(s.LinearVelocity) &&
           isFinite(s.AngularVelocity) && std::isfinite(s.Time);
}

// Advances the car by dt with its own input. Returns false, leaving the car unchanged, when
// the step would put a non-finite number into its state.
bool stepCar(Car& car, float dt);
// Advances the ball by dt; false and unchanged as for stepCar.
bool stepBall(Ball& ball, float dt);

}  // namespace host::phys
