// The model's constants: the car's stock physics values it scales (and that switching it off
// puts back), and the coefficients of its drag, stabilisation and lift.
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

namespace aero {

// Lift terms, each a fraction of a signed speed along a car axis (uu/s) added per tick, before
// the air density and lift setting scale them:
// lift along the up axis per unit of forward speed (reverses when the car backs);
inline constexpr float kLiftPerForwardSpeed = 0.2f;
// extra drag along the forward axis per unit of forward speed;
inline constexpr float kForwardDragPerForwardSpeed = 0.05f;
// damping of the sideways and of the up-axis velocity.
inline constexpr float kAxisDamping = 0.25f;

// Below this speed (uu/s) and whenever the car is in the air, the stock air torque and sticky
// force hold; on the ground at or above it the sticky force is released.
inline constexpr float kGroundReleaseSpeedUu = 1300.0f;

// Largest air-torque scale k (= 1300 / speed, truncated): the largest torque component times k
// stays below 2^24, so every torque product is an exact int that survives the float round trip.
inline constexpr int kMaxTorqueScale = (1 << 24) / stock::kAirTorqueRoll;
static_assert(stock::kAirTorqueRoll >= stock::kAirTorquePitch &&
                  stock::kAirTorqueRoll >= stock::kAirTorqueYaw,
              "the torque scale is bounded by the largest component");

}  // namespace aero
