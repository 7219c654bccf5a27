// Car and ball motion per tick: forces, air control, simple driving, the floor and the clamps.
#include "Physics.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace host::phys {

namespace {

float dot(const Vector& a, const Vector& b) { return a.X * b.X + a.Y * b.Y + a.Z * b.Z; }

float clampUnit(float v) { return std::clamp(v, -1.0f, 1.0f); }

// Moves v toward zero by at most `amount` without crossing it.
float towardZero(float v, float amount) {
    if (amount <= 0.0f) return v;
    if (std::fabs(v) <= amount) return 0.0f;
    return v > 0.0f ? v - amount : v + amount;
}

}  // namespace

// The square root is taken only when the squared norm exceeds the squared limit, which changes
// no result: lim is a float, so lim * lim is exact in double, and when n2 <= lim * lim the
// correctly rounded root of n2 cannot exceed the representable lim, so the test on the root
// below would have returned v as well.
Vector clampLength(const Vector& v, float limit) {
    const double lim = std::max(0.0f, limit);
    const double n2 = double(v.X) * v.X + double(v.Y) * v.Y + double(v.Z) * v.Z;
    if (n2 <= lim * lim) return v;
    const double n = std::sqrt(n2);
    if (n <= lim || n == 0.0) return v;
    const double k = lim / n;
    return Vector(float(v.X * k), float(v.Y * k), float(v.Z * k));
}

namespace {

Vector toEngine(const Vector& uu) { return uu * (1.0f / kEngineLengthUnitUu); }
Vector toUu(const Vector& engine) { return engine * kEngineLengthUnitUu; }

bool same(const Vector& a, const Vector& b) { return a.X == b.X && a.Y == b.Y && a.Z == b.Z; }

// The body's motion in engine units: what the last step left while the state still shows it,
// otherwise the state as set since.
EngineMotion motionOf(const RBActor& body) {
    const EngineMotion& m = body.engine;
    if (same(toUu(m.location), body.rb.Location) && same(toUu(m.velocity), body.rb.LinearVelocity))
        return m;
    return EngineMotion{toEngine(body.rb.Location), toEngine(body.rb.LinearVelocity)};
}

// Semi-implicit Euler, as a rigid-body engine steps: the new velocity moves the body. Speed
// limits apply afterwards, to the velocity the next tick starts from.
void advance(EngineMotion& m, const Vector& accelUu, float maxSpeedUu, float dt) {
    m.velocity = m.velocity + toEngine(accelUu) * dt;
    m.location = m.location + m.velocity * dt;
    m.velocity = clampLength(m.velocity, maxSpeedUu / kEngineLengthUnitUu);
}

// Stores the step's result in the body; false, leaving it unchanged, when any of it is not finite.
// The fields are written one by one: the state is neither copied out nor back.
bool commit(RBActor& body, const EngineMotion& m, const Quat& q, const Vector& x, const Vector& v,
            const Vector& w) {
    if (!(isFinite(q) && isFinite(x) && isFinite(v) && isFinite(w) && isFinite(body.rb.Time)))
        return false;
    body.rb.Quaternion = q;
    body.rb.Location = x;
    body.rb.LinearVelocity = v;
    body.rb.AngularVelocity = w;
    body.engine = m;
    return true;
}

float throttleAccel(float forwardSpeed) {
    const float s = std::fabs(forwardSpeed);
    if (s >= kThrottleTopSpeedUuS) return 0.0f;
    if (s >= kThrottleCurveKneeUuS)
        return kThrottleAccelAt1400UuS2 * (kThrottleTopSpeedUuS - s) /
               (kThrottleTopSpeedUuS - kThrottleCurveKneeUuS);
    return kThrottleAccelAtRestUuS2 +
           (kThrottleAccelAt1400UuS2 - kThrottleAccelAtRestUuS2) * s / kThrottleCurveKneeUuS;
}

float steerAngle(float forwardSpeed) {
    const float s = std::fabs(forwardSpeed);
    for (int i = 1; i < kSteerCurvePoints; ++i) {
        if (s <= kSteerCurveSpeedUuS[i]) {
            const float t = (s - kSteerCurveSpeedUuS[i - 1]) /
                            (kSteerCurveSpeedUuS[i] - kSteerCurveSpeedUuS[i - 1]);
            return kSteerCurveAngleRad[i - 1] +
                   t * (kSteerCurveAngleRad[i] - kSteerCurveAngleRad[i - 1]);
        }
    }
    return kSteerCurveAngleRad[kSteerCurvePoints - 1];
}

// Driving on the floor: throttle, brakes, tyre grip and steering act on the velocity directly;
// the car turns about its up axis only.
void driveOnGround(Car& car, const Axes& ax, float throttle, float dt, Vector& v, Vector& w) {
    const ControllerInput& in = car.input;
    const VehicleSim& sim = car.sim;
    float vf = dot(v, ax.forward);
    float vr = dot(v, ax.right);
    const float vu = dot(v, ax.up);
    const float brake = std::max(0.0f, kBrakeDecelUuS2 * sim.brakeTorque / kBrakeTorque);

    if (throttle != 0.0f && vf * throttle >= 0.0f) {
        vf += throttle * throttleAccel(vf) * (sim.driveTorque / kDriveTorque) * dt;
    } else if (throttle != 0.0f) {
        vf = towardZero(vf, brake * sim.oppositeBrakeFactor * dt);
    } else if (std::fabs(vf) < sim.stopThreshold) {
        vf = 0.0f;
    } else {
        vf = towardZero(vf, brake * sim.idleBrakeFactor * dt);
    }
    const float grip = kLateralGripUuS2 * (in.handbrake ? kHandbrakeGripFactor : 1.0f);
    vr = towardZero(vr, grip * dt);
    v = ax.forward * vf + ax.right * vr + ax.up * vu;

    const float angle = clampUnit(in.steer) * steerAngle(vf);
    w = ax.up * (vf * float(std::tan(double(angle))) / kWheelBaseUu);

    for (int i = 0; i < sim.wheelCount; ++i) {
        Wheel& wheel = car.sim.wheels[i];
        wheel.steer = i % 4 < 2 ? angle : 0.0f;
        wheel.spinSpeed = wheel.radius > 0.0f ? vf / wheel.radius : 0.0f;
    }
}

// Air control: stick torque about the car's axes and damping of the turn rate about them.
void airControl(const AirControlComponent& ac, const ControllerInput& in, const Axes& ax,
                float dt, Vector& w) {
    const float pitch = clampUnit(in.pitch), yaw = clampUnit(in.yaw), roll = clampUnit(in.roll);
    const Vector pitchAxis = ax.right * -1.0f;  // nose up for positive pitch
    const Vector yawAxis = ax.up;               // nose right for positive yaw
    const Vector rollAxis = ax.forward * -1.0f; // right side down for positive roll
    const Vector torque = pitchAxis * (pitch * ac.airTorque.Pitch * kAirTorqueScale) +
                          yawAxis * (yaw * ac.airTorque.Yaw * kAirTorqueScale) +
                          rollAxis * (roll * ac.airTorque.Roll * kAirTorqueScale);
    const Vector damping =
        pitchAxis * (dot(w, pitchAxis) * ac.airDamping.Pitch * kAirTorqueScale *
                     (1.0f - std::fabs(pitch))) +
        yawAxis * (dot(w, yawAxis) * ac.airDamping.Yaw * kAirTorqueScale * (1.0f - std::fabs(yaw))) +
        rollAxis * (dot(w, rollAxis) * ac.airDamping.Roll * kAirTorqueScale);
    w = w + (torque - damping) * dt;
}

void spinDown(Car& car, float dt) {
    for (int i = 0; i < car.sim.wheelCount; ++i) {
        Wheel& wheel = car.sim.wheels[i];
        wheel.spinSpeed *= std::max(0.0f, 1.0f - wheel.spinSpeedDecayRate * dt);
    }
}

// The orientation with the same heading, standing level on the floor.
Quat levelled(const Quat& q) {
    const Vector f = rotate(q, Vector(1.0f, 0.0f, 0.0f));
    if (std::fabs(f.X) + std::fabs(f.Y) < 1e-6f) return q;
    // In double and rounded once: the float functions of the C libraries differ in the last
    // bit between platforms, the rounded double results do not.
    const double half = 0.5 * std::atan2(double(f.Y), double(f.X));
    return Quat(float(std::cos(half)), 0.0f, 0.0f, float(std::sin(half)));
}

// A tick on the floor: the sticky force presses the car down, the wheels drive and steer it,
// and a new press of jump lifts it off.
void groundStep(Car& car, const Axes& ax, float throttle, float dt, Vector& a, EngineMotion& m,
                Vector& w) {
    a = a - ax.up * (car.sticky.Ground * kGravityMagnitudeUuS2);
    Vector v = car.rb.LinearVelocity;
    driveOnGround(car, ax, throttle, dt, v, w);
    if (car.input.jump && !car.jumpHeld) v = v + ax.up * kJumpImpulseUuS;
    m.velocity = toEngine(v);
}

// A tick in the air: air throttle and air control act, the wheels spin down.
void airStep(Car& car, const Axes& ax, float throttle, float invMass, float dt, Vector& a,
             Vector& w) {
    if (car.airControl.alive) {
        a = a + ax.forward * (car.airControl.throttleForce * invMass * throttle);
        airControl(car.airControl, car.input, ax, dt, w);
    }
    spinDown(car, dt);
}

// Keeps the moved car above the floor. True when it touches the floor standing on its wheels;
// the suspension then sets it level at once.
bool meetFloor(Vector& x, Vector& v, Quat& q) {
    if (x.Z <= kCarRestHeightUu + kGroundContactToleranceUu) {
        x.Z = std::max(x.Z, kCarRestHeightUu);
        v.Z = std::max(v.Z, 0.0f);
        if (rotate(q, Vector(0.0f, 0.0f, 1.0f)).Z >= kWheelsDownMinUpZ) {
            q = levelled(q);
            return true;
        }
    }
    return false;
}

}  // namespace

Quat normalized(const Quat& q) {
    const double n = std::sqrt(double(q.X) * q.X + double(q.Y) * q.Y + double(q.Z) * q.Z +
                               double(q.W) * q.W);
    if (!(n > 1e-12) || !std::isfinite(n)) return Quat();
    return Quat(float(q.W / n), float(q.X / n), float(q.Y / n), float(q.Z / n));
}

Quat integrate(const Quat& q, const Vector& w, float dt) {
    const double wn = std::sqrt(double(w.X) * w.X + double(w.Y) * w.Y + double(w.Z) * w.Z);
    const double angle = wn * dt;
    if (angle < 1e-12) return normalized(q);
    const double s = std::sin(0.5 * angle) / wn;
    const Quat turn(float(std::cos(0.5 * angle)), float(w.X * s), float(w.Y * s), float(w.Z * s));
    // The angular velocity is in the world frame, so the turn multiplies from the left.
    return normalized(turn * q);
}

bool stepCar(Car& car, float dt) {
    const ControllerInput& in = car.input;
    Quat q = normalized(car.rb.Quaternion);
    const Axes ax = axesOf(q);
    const bool boosting = in.boost && car.boost.alive;
    const float throttle = boosting ? kBoostThrottleInput : clampUnit(in.throttle);
    const float invMass = car.mass > 0.0f ? 1.0f / car.mass : 0.0f;

    EngineMotion m = motionOf(car);
    Vector w = car.rb.AngularVelocity;
    Vector a(0.0f, 0.0f, kGravityZUuS2);
    if (boosting) a = a + ax.forward * (car.boost.boostForce * invMass);
    if (car.onGround != 0) {
        groundStep(car, ax, throttle, dt, a, m, w);
    } else {
        airStep(car, ax, throttle, invMass, dt, a, w);
    }

    // The new velocities move and turn the car; the limits apply afterwards.
    advance(m, a, car.maxLinearSpeed, dt);
    q = integrate(q, w, dt);
    w = clampLength(w, car.maxAngularSpeed);
    Vector x = toUu(m.location);
    Vector v = toUu(m.velocity);
    const bool onWheels = meetFloor(x, v, q);

    if (!commit(car, m, q, x, v, w)) return false;
    car.onGround = onWheels ? 1 : 0;
    car.jumpHeld = in.jump;
    return true;
}

namespace {

// Everything a ball's step reads, in the order the step writes it back.
BallStepInputs inputsOf(const Ball& ball, float dt) {
    return BallStepInputs{ball.rb.Quaternion, ball.rb.Location, ball.rb.LinearVelocity,
                          ball.rb.AngularVelocity, ball.engine, ball.maxLinearSpeed,
                          ball.maxAngularSpeed, dt};
}

// Word by word without an early exit: a few vector instructions in place of a library call
// on every tick of a ball lying still.
bool sameBits(const BallStepInputs& a, const BallStepInputs& b) {
    constexpr std::size_t kWords = sizeof(BallStepInputs) / sizeof(std::uint32_t);
    std::uint32_t wa[kWords], wb[kWords];
    std::memcpy(wa, &a, sizeof a);
    std::memcpy(wb, &b, sizeof b);
    std::uint32_t differ = 0;
    for (std::size_t i = 0; i < kWords; ++i) differ |= wa[i] ^ wb[i];
    return differ == 0;
}

// The rest check of every tick of a ball lying still: the ball's fields against `rest` in
// place, without gathering them first. The pose and motion lead both RBState and
// BallStepInputs in the same order, so they compare as one block.
constexpr std::size_t kPoseBytes = offsetof(RBState, AngularVelocity) + sizeof(Vector);
static_assert(offsetof(RBState, Quaternion) == 0 && offsetof(BallStepInputs, quaternion) == 0 &&
                  offsetof(RBState, Location) == offsetof(BallStepInputs, location) &&
                  offsetof(RBState, LinearVelocity) == offsetof(BallStepInputs, linearVelocity) &&
                  offsetof(RBState, AngularVelocity) == offsetof(BallStepInputs, angularVelocity) &&
                  offsetof(BallStepInputs, engine) == kPoseBytes,
              "the pose and motion lie alike in both");

bool sameBits(float a, float b) {
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

bool unchangedSinceRest(const Ball& ball, float dt) {
    const BallStepInputs& r = ball.rest;
    return std::memcmp(&ball.rb, &r, kPoseBytes) == 0 &&
           std::memcmp(&ball.engine, &r.engine, sizeof r.engine) == 0 &&
           sameBits(ball.maxLinearSpeed, r.maxLinearSpeed) &&
           sameBits(ball.maxAngularSpeed, r.maxAngularSpeed) && sameBits(dt, r.dt);
}

}  // namespace

bool stepBall(Ball& ball, float dt) {
    // A step that changed nothing would change nothing again from the same state: a ball lying
    // still is skipped until something moves it.
    if (ball.atRest && unchangedSinceRest(ball, dt)) return true;
    const BallStepInputs before = inputsOf(ball, dt);
    const RBState& s = ball.rb;
    EngineMotion m = motionOf(ball);
    advance(m, Vector(0.0f, 0.0f, kGravityZUuS2), ball.maxLinearSpeed, dt);
    const Quat q = integrate(s.Quaternion, s.AngularVelocity, dt);
    const Vector w = clampLength(s.AngularVelocity, ball.maxAngularSpeed);
    Vector x = toUu(m.location);
    Vector v = toUu(m.velocity);
    if (x.Z < kBallRestHeightUu) {
        x.Z = kBallRestHeightUu;
        if (v.Z < 0.0f) v.Z = -v.Z * kBallRestitution;
        if (v.Z < kBallSettleSpeedUuS) v.Z = 0.0f;
    }
    if (!commit(ball, m, q, x, v, w)) return false;
    ball.rest = inputsOf(ball, dt);
    ball.atRest = sameBits(before, ball.rest);
    return true;
}

}  // namespace host::phys
