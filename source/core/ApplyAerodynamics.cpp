// The per-tick hook: reads the reported car, applies the model's increments and stock multipliers.
#include "aero/AeroModel.h"
#include "aero/ModelConstants.h"
#include "core/wingleaf.h"

// Runs on every input update of a car while the tick hook is installed. Reads only the bound
// setting cells and the car; allocates nothing and writes no log line.
void wingleaf::applyAerodynamics(CarWrapper car, void* /*params*/, std::string /*eventName*/) {
    if (!gameWrapper->IsInFreeplay()) return;
    if (!enabled || !*enabled) return;
    if (car.IsNull()) return;
    BoostWrapper boost = car.GetBoostComponent();
    if (boost.IsNull()) return;

    const RBState state = car.GetRBState();
    const Vector extent = car.GetLocalCollisionExtent();
    const aero::AeroStep step =
        aero::computeAeroStep(state.Quaternion, state.LinearVelocity, extent, sliderValues());

    car.AddVelocity(step.drag);
    car.SetAngularVelocity(step.spin, true);
    car.AddVelocity(step.lift);
    car.SetMaxLinearSpeed(step.maxLinearSpeed);
    car.SetMaxLinearSpeed2(step.maxLinearSpeed);
    boost.SetBoostForce(step.boostForce);
    AirControlComponentWrapper airControl = car.GetAirControlComponent();
    airControl.SetThrottleForce(step.throttleForce);

    // Only a car released from the floor at speed keeps the scaled air torque; every other one
    // gets the stock sticky force and air torque back.
    if (car.IsOnGround() && step.speedUu >= aero::kGroundReleaseSpeedUu) {
        airControl.SetAirTorque(step.scaledAirTorque);
        car.SetStickyForce(StickyForceData{0.0f, 0.0f});
    } else {
        airControl.SetAirTorque(stock::airTorque());
        car.SetStickyForce(stock::stickyForce());
    }
}
