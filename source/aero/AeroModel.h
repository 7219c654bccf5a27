// The per-tick aerodynamic model's arithmetic: from a car's state and the slider values to the
// values the tick writes to the car. Single precision throughout; no host calls.
#pragma once
#include <cmath>

#include "aero/ModelConstants.h"
#include "bakkesmod/wrappers/wrapperstructs.h"
#include "sliders/SliderValues.h"

namespace aero {

// Everything one tick writes to the car, in the order it is written.
struct AeroStep {
    float speedUu;       // |V|, uu/s; decides the ground branch
    Vector drag;         // added to the linear velocity, uu/s
    Vector spin;         // added to the angular velocity, rad/s
    Vector lift;         // added to the linear velocity, uu/s
    float maxLinearSpeed;  // uu/s, for both speed limits
    float boostForce;
    float throttleForce;
    Rotator scaledAirTorque;  // stock air torque times k, written before the ground branch
};

// Computes one tick for a car with orientation q (X, Y, Z, W), linear velocity v (uu/s) and
// collision extent (uu, car axes) under the given slider values. Where a quotient of the model
// is undefined (car at rest, velocity along the nose, no face area) the affected increment is
// zero; a non-finite increment is replaced by zero and a non-finite multiplied value by its
// stock value, so every field is finite whatever the input.
AeroStep computeAeroStep(const Quat& q, const Vector& v, const Vector& extent,
                         const SliderValues& sliders);

// The square root of a float, correctly rounded to float: the same bits as the root taken in
// double precision and rounded back (double holds more than twice float's digits), without the
// trip through double.
inline float sqrtOfFloat(float x) { return std::sqrt(x); }

}  // namespace aero
