// Handle of a car's air-control component: air torque and air throttle force.
#pragma once
#include "CarComponentWrapper.h"

class BAKKESMOD_PLUGIN_IMPORT AirControlComponentWrapper : public CarComponentWrapper {
public:
    CONSTRUCTORS(AirControlComponentWrapper)

    // Torque coefficients in the host's order Pitch, Yaw, Roll (stock 130, 95, 400).
    GETSETH(Rotator, AirTorque)
    // Damping coefficients in the order Pitch, Yaw, Roll (stock 30, 20, 50).
    GETSETH(Rotator, AirDamping)
    // Air throttle force in mass-units times uu/s^2 (stock 12000).
    GETSETH(float, ThrottleForce)
};
