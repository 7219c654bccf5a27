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
Quat normalized(Quat q);
// v rotated by the unit quaternion q: q * (0, v) * conj(q).
Vector rotate(Quat q, Vector v);
Axes axesOf(Quat q);
// q turned by the world-frame angular velocity w (rad/s) for dt seconds, renormalised.
Quat integrate(Quat q, Vector w, float dt);

// Inline: every wrapper setter checks its value on the plug-ins' per-tick path.
inline bool isFinite(float f) { return std::isfinite(f); }
inline bool isFinite(Vector v) {
    return std::isfinite(v.X) && std::isfinite(v.Y) && std::isfinite(v.Z);
}
inline bool isFinite(Quat q) {
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
