// Developer commands on the rigid-body state of ball and car, and the input reset.
#include <cmath>

#include "aero/VectorUtils.h"
#include "devtools/ArgParsers.h"
#include "devtools/DevCommands.h"
#include "text/FixedText.h"

void DevCommands::resetInputs(std::vector<std::string> /*args*/) {
    // A variable that is gone (removed by another plug-in or the user) is simply skipped.
    if (cvarManager) {
        CVarWrapper throttle = cvarManager->getCvar("macroThrottle");
        if (!throttle.IsNull()) {
            throttle.setValue(0.0f);
        }
        CVarWrapper steer = cvarManager->getCvar("macroSteer");
        if (!steer.IsNull()) {
            steer.setValue(0.0f);
        }
        CVarWrapper handbrake = cvarManager->getCvar("macroHandbrake");
        if (!handbrake.IsNull()) {
            handbrake.setValue(0);
        }
    }
    writeLine("Inputs have been reset ");
}

namespace {

// Applies `change` to a body's physics state; false when there is no body.
template <typename Change>
bool changeRBState(RBActorWrapper body, Change&& change) {
    if (body.IsNull()) return false;
    RBState state = body.GetRBState();
    change(state);
    body.SetPhysicsState(state);
    return true;
}

}  // namespace

RBActorWrapper DevCommands::takeBody(bool ball) {
    return ball ? RBActorWrapper(takeBall()) : RBActorWrapper(takeGameCar());
}

void DevCommands::setRBVector(const std::vector<std::string>& args, bool onBall,
                              Vector RBState::*field, const char* prefix, int decimals) {
    const float x = parseFloatArg(args[1]);
    const float y = parseFloatArg(args[2]);
    const float z = parseFloatArg(args[3]);
    const Vector value(x, y, z);
    if (changeRBState(takeBody(onBall), [&](RBState& state) { state.*field = value; }))
        writeLine(prefix + vectorToString(value, decimals));
}

void DevCommands::setRBQuaternion(const std::vector<std::string>& args, bool onBall,
                                  const char* prefix) {
    // Typed scalar first; stored as given, without normalising.
    const float w = parseFloatArg(args[1]);
    const float x = parseFloatArg(args[2]);
    const float y = parseFloatArg(args[3]);
    const float z = parseFloatArg(args[4]);
    const Quat value(w, x, y, z);
    if (changeRBState(takeBody(onBall), [&](RBState& state) { state.Quaternion = value; }))
        writeLine(prefix + quatToString(value, 10));
}

void DevCommands::resetCar(std::vector<std::string> /*args*/) {
    CarWrapper car = takeGameCar();
    if (car.IsNull()) {
        return;
    }
    RBState state = car.GetRBState();
    state.Quaternion = Quat();
    state.LinearVelocity = Vector(0.0f, 0.0f, 0.0f);
    state.AngularVelocity = Vector(0.0f, 0.0f, 0.0f);
    car.SetPhysicsState(state);
    writeLine("Car has been reset");
}

void DevCommands::slideRight(std::vector<std::string> args) {
    const float amount = parseFloatArg(args[1]);
    CarWrapper car = takeGameCar();
    if (car.IsNull()) {
        return;
    }
    const RBState state = car.GetRBState();
    const Vector right = rotateByQuat(Vector(0.0f, 1.0f, 0.0f), state.Quaternion);
    const float length = std::sqrt(right.X * right.X + right.Y * right.Y + right.Z * right.Z);
    // A zero or overflowing orientation has no right-hand side: push nothing rather than NaN.
    if (!(length > 0.0f) || !std::isfinite(length)) {
        return;
    }
    const Vector push = right / length * amount;
    if (!std::isfinite(push.X) || !std::isfinite(push.Y) || !std::isfinite(push.Z)) {
        return;
    }
    // A finite push may still carry a fast car past the float range.
    const Vector after = state.LinearVelocity + push;
    if (!std::isfinite(after.X) || !std::isfinite(after.Y) || !std::isfinite(after.Z)) {
        writeLine("Velocity not changed: the result would not be finite");
        return;
    }
    car.AddVelocity(push);
    writeLine("Velocity increased by " + vectorToString(push, 2));
}

void DevCommands::setMass(std::vector<std::string> args) {
    const float mass = parseFloatArg(args[1]);
    CarWrapper car = takeGameCar();
    if (car.IsNull()) {
        return;
    }
    car.SetMass(mass);
    writeLine("RB mass set to " + args[1]);
}

void DevCommands::setOnGround(std::vector<std::string> args) {
    const bool flag = parseBoolArg(args[1]);
    CarWrapper car = takeGameCar();
    if (car.IsNull()) {
        return;
    }
    car.SetbOnGround(flag ? 1 : 0);
    writeLine("bOnGround set to " + args[1]);
}
