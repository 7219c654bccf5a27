// Stock values of a new car (Octane) and a new ball.
#include "GameObjects.h"

namespace host {

namespace {

// The stock mass and limits of a kind of body.
struct BodyStock {
    float mass;
    float maxSpeedUuS;
    float maxAngularSpeedRadS;
};

constexpr BodyStock kCarBody{.mass = phys::kCarMass,
                             .maxSpeedUuS = phys::kCarMaxSpeedUuS,
                             .maxAngularSpeedRadS = phys::kCarMaxAngularSpeedRadS};
constexpr BodyStock kBallBody{.mass = phys::kBallMass,
                              .maxSpeedUuS = phys::kBallMaxSpeedUuS,
                              .maxAngularSpeedRadS = phys::kBallMaxAngularSpeedRadS};

// Puts the body at rest at `location`, identity orientation, with its stock mass and limits.
void resetBody(RBActor& body, Vector location, const BodyStock& stock) {
    body.rb = RBState{};
    body.rb.Quaternion = Quat();
    body.rb.Location = location;
    body.mass = stock.mass;
    body.maxLinearSpeed = stock.maxSpeedUuS;
    body.maxLinearSpeed2 = stock.maxSpeedUuS;
    body.maxAngularSpeed = stock.maxAngularSpeedRadS;
}

// Wheels 0..3: front left, front right, back left, back right (left is -Y). Wheels past four
// repeat the pattern.
void stockWheel(Wheel& w, VehicleSim* sim, int index) {
    const bool front = index % 4 < 2;
    const bool left = index % 2 == 0;
    w = Wheel{};
    w.sim = sim;
    w.index = index;
    const phys::WheelPair& pair = front ? phys::kFrontWheels : phys::kBackWheels;
    w.refLocation =
        Vector(pair.forwardUu, left ? -pair.sideUu : pair.sideUu, phys::kWheelMountUpUu);
    w.radius = pair.radiusUu;
}

}  // namespace

Car::Car(Game* g) : RBActor(ActorKind::Car, g), boost(this, g), airControl(this, g) {
    resetToStock(Vector(0.0f, 0.0f, phys::kCarRestHeightUu));
}

void Car::resetToStock(Vector location) {
    resetBody(*this, location, kCarBody);
    onGround = 1;
    extent = Vector(phys::kCarHalfExtentForwardUu, phys::kCarHalfExtentRightUu,
                    phys::kCarHalfExtentUpUu);
    sticky = StickyForceData{phys::kStickyGroundG, phys::kStickyWallG};
    boost.alive = true;
    boost.boostForce = phys::kBoostForce;
    airControl.alive = true;
    airControl.airTorque =
        Rotator(phys::kAirTorquePitch, phys::kAirTorqueYaw, phys::kAirTorqueRoll);
    airControl.airDamping =
        Rotator(phys::kAirDampingPitch, phys::kAirDampingYaw, phys::kAirDampingRoll);
    airControl.throttleForce = phys::kAirThrottleForce;
    sim = VehicleSim{.car = this};
    for (int i = 0; i < phys::kMaxWheels; ++i) stockWheel(sim.wheels[i], &sim, i);
    input = ControllerInput{};
    jumpHeld = false;
}

void Car::setWheelCount(int count) {
    // Wheels that join the car come with stock values, as a new wheel would.
    for (int i = sim.wheelCount; i < count; ++i) stockWheel(sim.wheels[i], &sim, i);
    sim.wheelCount = count;
}

Ball::Ball(Game* g) : RBActor(ActorKind::Ball, g) {
    resetAt(Vector(phys::kBallStartXUu, phys::kBallStartYUu, phys::kBallRestHeightUu));
}

void Ball::resetAt(Vector location) { resetBody(*this, location, kBallBody); }

}  // namespace host
