// The car's stock physics values that the model scales and that switching it off puts back.
#pragma once
#include "bakkesmod/wrappers/wrapperstructs.h"

namespace stock {

// Maximum linear speed of a car, uu/s (both the speed and the second speed limit).
inline constexpr float kMaxLinearSpeedUu = 2300.0f;
// Boost force of the boost component, in mass units times uu/s^2 (991.67 uu/s^2 at mass 180).
inline constexpr float kBoostForce = 178500.0f;
// Air throttle force of the air-control component, mass units times uu/s^2.
inline constexpr float kAirThrottleForce = 12000.0f;
// Air-control torque coefficients in the host's Rotator order Pitch, Yaw, Roll.
inline constexpr int kAirTorquePitch = 130;
inline constexpr int kAirTorqueYaw = 95;
inline constexpr int kAirTorqueRoll = 400;
// Sticky force toward the surface, in multiples of gravity: flat ground and wall.
inline constexpr float kStickyGround = 0.5f;
inline constexpr float kStickyWall = 1.5f;

inline Rotator airTorque() { return Rotator(kAirTorquePitch, kAirTorqueYaw, kAirTorqueRoll); }
inline StickyForceData stickyForce() { return StickyForceData{kStickyGround, kStickyWall}; }

}  // namespace stock
