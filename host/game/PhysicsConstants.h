// Every physical constant of the simulated game, with its unit and where the value comes from.
//
// Source keys: RS = RocketSim (ZealanL/RocketSim, src/RLConst.h and src/Sim/Car/Car.cpp, its car
// configuration for the Octane body); RLB = RLBot wiki "useful game values" and "jumping physics";
// SDK = the mod host's wrapper headers (field names only). "Inference" marks our own reasoning.
//
// Conventions of the simulated world (tests/host/PhysicsTest.cpp checks every sign):
// - World axes: Z up, X and Y horizontal; distances in uu, speeds in uu/s, angles in radians.
// - Car local axes: X forward (nose), Y right, Z up; the collision extent is given in these.
// - Orientation: a unit quaternion stored X, Y, Z, W (W scalar) that rotates a car-local vector
//   into the world frame as q * (0, v) * conj(q) (Hamilton product). The identity faces world +X
//   with its right side toward world +Y; a quarter turn about +Z turns the nose toward +Y.
// - Angular velocity: world frame, rad/s; a positive component turns by the right-hand rule about
//   that world axis (positive about +Z turns +X toward +Y, which is a turn to the car's right).
// - Inputs (each -1 .. 1): pitch +1 raises the nose (rotation about -right), yaw +1 turns the nose
//   toward the car's right (about +up), roll +1 lowers the right side (about -forward); throttle
//   +1 pushes along +forward; steer +1 turns right on the ground.
#pragma once

namespace host::phys {

// Physics tick: 120 Hz. RS Arena default, RLB.
inline constexpr double kTickRateHz = 120.0;
inline constexpr float kTickSeconds = 1.0f / 120.0f;

// Length unit in which the physics step integrates location and velocity, uu: the rigid-body
// engine under RS works in units of 50 uu. Stepping in the same unit rounds as it does, so
// long flights agree with it to float precision rather than drifting by a few ulps per tick.
inline constexpr float kEngineLengthUnitUu = 50.0f;

// Gravity along world Z, uu/s^2. RS, RLB.
inline constexpr float kGravityZUuS2 = -650.0f;
// Magnitude of gravity, the unit in which the sticky force is given (multiples of g). RS.
inline constexpr float kGravityMagnitudeUuS2 = 650.0f;

// --- Car body (Octane) ---

// Car mass in the game's arbitrary mass unit; forces are in mass * uu/s^2. RS, RLB.
inline constexpr float kCarMass = 180.0f;
// Height of the car's origin above the floor when its wheels rest on it, uu. RS, RLB (spawn z).
inline constexpr float kCarRestHeightUu = 17.0f;
// Half-extents of the Octane collision box along forward, right, up, uu: half of RS's full size
// 120.507 x 86.699 x 38.659.
inline constexpr float kCarHalfExtentForwardUu = 60.2535f;
inline constexpr float kCarHalfExtentRightUu = 43.3495f;
inline constexpr float kCarHalfExtentUpUu = 19.3295f;
// Maximum car speed, uu/s, clamped on the velocity's norm at the end of every tick, after the
// tick has moved the car. RS, RLB.
inline constexpr float kCarMaxSpeedUuS = 2300.0f;
// Maximum car angular speed, rad/s, clamped on the norm of the whole vector after the tick has
// turned the car. RS, RLB.
inline constexpr float kCarMaxAngularSpeedRadS = 5.5f;
// Sticky force as multiples of g: flat ground and wall. RS (k = 0.5 on a floor, 1.5 on a wall).
inline constexpr float kStickyGroundG = 0.5f;
inline constexpr float kStickyWallG = 1.5f;

// --- Boost and air control ---

// Boost force, mass * uu/s^2: 178500 / 180 = 991.67 uu/s^2, the ground boost of RS and RLB.
inline constexpr float kBoostForce = 178500.0f;
// Air throttle force, mass * uu/s^2: 12000 / 180 = 66.67 uu/s^2. RS, RLB. Boosting in the air
// also applies full air throttle (RS), giving 1058.33 uu/s^2.
inline constexpr float kAirThrottleForce = 12000.0f;
// The throttle a boosting car applies, whatever its throttle input: boost drives the car as full
// throttle does, on the floor and in the air, so airborne boost is 1058.33 uu/s^2 with any
// throttle. RS instead adds the input's own air throttle to its 1058.33 (1058.33 + 66.67 x
// throttle). Which one the game does is not known; we keep this rule, and the comparison with
// RS's traces leaves boost held together with a throttle input out.
inline constexpr float kBoostThrottleInput = 1.0f;
// Air-control torque coefficients, Rotator order Pitch, Yaw, Roll. RS.
inline constexpr int kAirTorquePitch = 130;
inline constexpr int kAirTorqueYaw = 95;
inline constexpr int kAirTorqueRoll = 400;
// Air-control damping coefficients, Pitch, Yaw, Roll. RS. Pitch and yaw damping fade with
// their own input (factor 1 - |input|); roll damping always acts.
inline constexpr int kAirDampingPitch = 30;
inline constexpr int kAirDampingYaw = 20;
inline constexpr int kAirDampingRoll = 50;
// Converts the coefficients above to an angular acceleration in rad/s^2 per unit input
// (or to a damping rate in 1/s): 2 pi / 65536 (rotation units to radians) * 1000. RS.
inline constexpr float kAirTorqueScale = 2.0f * 3.14159265358979f / 65536.0f * 1000.0f;

// --- Jump ---

// Instant speed added along the car's up axis when a jump starts on the ground, uu/s. RS, RLB.
inline constexpr float kJumpImpulseUuS = 875.0f / 3.0f;

// --- Ground driving (kept simple: no suspension, the floor is a plane) ---

// Throttle acceleration along the nose at rest and its fall-off with forward speed, uu/s^2:
// 1600 at 0, 160 at 1400, 0 from 1410 on, linear in between. RLB.
inline constexpr float kThrottleAccelAtRestUuS2 = 1600.0f;
inline constexpr float kThrottleAccelAt1400UuS2 = 160.0f;
inline constexpr float kThrottleCurveKneeUuS = 1400.0f;
inline constexpr float kThrottleTopSpeedUuS = 1410.0f;
// Braking deceleration with throttle against the motion, uu/s^2. RLB, RS.
inline constexpr float kBrakeDecelUuS2 = 3500.0f;
// Sideways grip of the tyres on the floor, uu/s^2 of deceleration of the sideways speed.
// Inference: the same magnitude as braking; the handbrake keeps this fraction of it.
inline constexpr float kLateralGripUuS2 = 3500.0f;
inline constexpr float kHandbrakeGripFactor = 0.1f;
// The car counts as standing on its wheels when its up axis has at least this world Z
// component while touching the floor (about 45 degrees of tilt). Inference.
inline constexpr float kWheelsDownMinUpZ = 0.7f;
// Floor contact tolerance for the car's origin above its rest height, uu. Inference.
inline constexpr float kGroundContactToleranceUu = 0.01f;
// Distance between front and rear axles of the Octane, uu: 51.25 + 33.75. RS.
inline constexpr float kWheelBaseUu = 85.0f;

// Steering angle of the front wheels at full steer as a function of forward speed. RS.
inline constexpr int kSteerCurvePoints = 6;
inline constexpr float kSteerCurveSpeedUuS[kSteerCurvePoints] = {0.0f,    500.0f,  1000.0f,
                                                                 1500.0f, 1750.0f, 3000.0f};
inline constexpr float kSteerCurveAngleRad[kSteerCurvePoints] = {0.53356f, 0.31930f, 0.18203f,
                                                                 0.10570f, 0.08507f, 0.03454f};

// --- Vehicle simulation defaults (Octane); RS values in its own force units ---

// Drive torque, mass * Bullet length / s^2: 180 * 400. RS. Scales the throttle acceleration.
inline constexpr float kDriveTorque = 72000.0f;
// Brake torque: 180 * (14.25 + 1/3). RS. Scales the braking deceleration.
inline constexpr float kBrakeTorque = 2625.0f;
// Below this forward speed with no throttle the car stops, uu/s. RS.
inline constexpr float kStopThresholdUuS = 25.0f;
// Coasting brake as a fraction of the full brake: 3500 * 0.15 = 525 uu/s^2. RS, RLB.
inline constexpr float kIdleBrakeFactor = 0.15f;
// Brake applied with throttle against the motion, fraction of the full brake. Inference.
inline constexpr float kOppositeBrakeFactor = 1.0f;

// --- Wheels (Octane) ---

inline constexpr int kDefaultWheelCount = 4;
// Most wheels a vehicle simulation holds in the simulated host. Inference (cars have four).
inline constexpr int kMaxWheels = 8;
// Suspension stiffness and damping (compression, relaxation), travel, uu. RS.
inline constexpr float kSuspensionStiffness = 500.0f;
inline constexpr float kSuspensionDampingCompression = 25.0f;
inline constexpr float kSuspensionDampingRelaxation = 40.0f;
inline constexpr float kSuspensionTravelUu = 12.0f;
// How far a wheel may rise above its rest position, uu. Inference.
inline constexpr float kSuspensionMaxRaiseUu = 5.0f;
// Suspension length at rest on the floor, uu. Inference (about half the travel).
inline constexpr float kSuspensionRestDistanceUu = 6.0f;
// Exponential decay rate of a wheel's spin while it does not touch the floor, 1/s. Inference.
inline constexpr float kSpinSpeedDecayRate = 2.0f;
// A pair of wheels (front or back): radius and mount point in car-local coordinates, uu; the
// left wheel of the pair sits at -sideUu, the right one at +sideUu.
struct WheelPair {
    float radiusUu;
    float forwardUu;
    float sideUu;
};
// The Octane's front and back wheels. RS.
inline constexpr WheelPair kFrontWheels{.radiusUu = 12.5f, .forwardUu = 51.25f, .sideUu = 25.9f};
inline constexpr WheelPair kBackWheels{.radiusUu = 15.0f, .forwardUu = -33.75f, .sideUu = 29.5f};
// Height of every wheel's mount point, car-local uu. RS.
inline constexpr float kWheelMountUpUu = 20.755f;

// --- Ball ---

// Ball radius and the height of its centre at rest on the floor, uu. RS, RLB.
inline constexpr float kBallRadiusUu = 91.25f;
inline constexpr float kBallRestHeightUu = 93.15f;
// Ball mass (car / 6). RS, RLB.
inline constexpr float kBallMass = 30.0f;
// Share of the normal speed kept in a bounce. RS, RLB.
inline constexpr float kBallRestitution = 0.6f;
// Ball speed and spin limits, uu/s and rad/s. RS, RLB.
inline constexpr float kBallMaxSpeedUuS = 6000.0f;
inline constexpr float kBallMaxAngularSpeedRadS = 6.0f;
// A bounce slower than this leaves the ball resting, uu/s: twice one tick of gravity. Inference.
inline constexpr float kBallSettleSpeedUuS = 2.0f * kGravityMagnitudeUuS2 * kTickSeconds;

// --- Placement of a new game ---

// Additional cars (index i >= 1) start at (0, i * spacing, rest height). Inference.
inline constexpr float kExtraCarSpacingUu = 250.0f;
// The ball starts above the centre spot, at rest on the floor. Inference.
inline constexpr float kBallStartXUu = 0.0f;
inline constexpr float kBallStartYUu = 1000.0f;

}  // namespace host::phys
