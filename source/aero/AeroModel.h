// The per-tick aerodynamic model's arithmetic: from a car's state and the slider values to the
// values the tick writes to the car. Single precision throughout; no host calls.
#pragma once
#include "aero/ModelConstants.h"
#include "bakkesmod/wrappers/wrapperstructs.h"

namespace aero {

// The fourteen slider values as the model reads them, each a plain copy of its setting.
struct AeroSettings {
    float airDensity;  // rho, common factor of drag, stabilisation and lift
    float length;      // scales the collision extent along the car's forward axis
    float width;       // ... along its right axis
    float height;      // ... along its up axis
    float dragX;       // scale the world X, Y, Z components of the drag increment
    float dragY;
    float dragZ;
    float pitch;  // scale the world X, Y, Z components of the stabilisation increment
    float roll;
    float yaw;
    float lift;      // scales the lift increment
    float speed;     // multiplier of the stock maximum linear speed
    float boost;     // multiplier of the stock boost force
    float throttle;  // multiplier of the stock air throttle force
};

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
// collision extent (uu, car axes). Where a quotient of the model is undefined (car at rest,
// velocity along the nose, no face area) the affected increment is zero; a non-finite
// increment is replaced by zero and a non-finite multiplied value by its stock value, so every
// field is finite whatever the input.
AeroStep computeAeroStep(const Quat& q, const Vector& v, const Vector& extent,
                         const AeroSettings& settings);

// The square root of a float taken in double precision and rounded back to float.
float sqrtOfFloat(float x);

}  // namespace aero
