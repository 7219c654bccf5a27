// Stock values of a new car (Octane) and a new ball.
#include "GameObjects.h"

namespace host {

namespace {

RBState restingState(Vector location) {
    RBState s{};
    s.Quaternion = Quat();
    s.Location = location;
    return s;
}

// Wheels 0..3: front left, front right, back left, back right (left is -Y). Wheels past four
// repeat the pattern.
void stockWheel(Wheel& w, VehicleSim* sim, int index) {
    const bool front = index % 4 < 2;
    const bool left = index % 2 == 0;
    w = Wheel{};
    w.sim = sim;
    w.index = index;
    w.suspensionStiffness = phys::kSuspensionStiffness;
    w.suspensionDampingCompression = phys::kSuspensionDampingCompression;
    w.suspensionDampingRelaxation = phys::kSuspensionDampingRelaxation;
    w.suspensionTravel = phys::kSuspensionTravelUu;
    w.suspensionMaxRaise = phys::kSuspensionMaxRaiseUu;
    w.spinSpeedDecayRate = phys::kSpinSpeedDecayRate;
    w.suspensionDistance = phys::kSuspensionRestDistanceUu;
    const float side = front ? phys::kFrontWheelMountSideUu : phys::kBackWheelMountSideUu;
    w.refLocation = Vector(front ? phys::kFrontWheelMountForwardUu : phys::kBackWheelMountForwardUu,
                           left ? -side : side, phys::kWheelMountUpUu);
    w.radius = front ? phys::kFrontWheelRadiusUu : phys::kBackWheelRadiusUu;
}

}  // namespace

Car::Car(Game* g) : RBActor(ActorKind::Car, g), boost(this, g), airControl(this, g) {
    sim.car = this;
    resetToStock(Vector(0.0f, 0.0f, phys::kCarRestHeightUu));
}

void Car::resetToStock(Vector location) {
    rb = restingState(location);
    mass = phys::kCarMass;
    maxLinearSpeed = phys::kCarMaxSpeedUuS;
    maxLinearSpeed2 = phys::kCarMaxSpeedUuS;
    maxAngularSpeed = phys::kCarMaxAngularSpeedRadS;
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
    sim.driveTorque = phys::kDriveTorque;
    sim.brakeTorque = phys::kBrakeTorque;
    sim.stopThreshold = phys::kStopThresholdUuS;
    sim.idleBrakeFactor = phys::kIdleBrakeFactor;
    sim.oppositeBrakeFactor = phys::kOppositeBrakeFactor;
    sim.useAckermannSteering = 0;
    sim.wheelCount = phys::kDefaultWheelCount;
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

void Ball::resetAt(Vector location) {
    rb = restingState(location);
    mass = phys::kBallMass;
    maxLinearSpeed = phys::kBallMaxSpeedUuS;
    maxLinearSpeed2 = phys::kBallMaxSpeedUuS;
    maxAngularSpeed = phys::kBallMaxAngularSpeedRadS;
}

}  // namespace host
