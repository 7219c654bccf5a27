// Boost, air-control, vehicle-simulation and wheel wrappers on a simulated car's parts.
//
// Null or removed handles do nothing and read zeros; non-finite writes are refused and reported.
#include <string>

#include "bakkesmod/wrappers/includes.h"
#include "game/Game.h"
#include "game/Physics.h"

using host::phys::isFinite;

namespace {

bool refused(host::Game* game, float value, const char* what) {
    return game->refusedNonFinite(isFinite(value), what);
}

}  // namespace

// --- BoostWrapper ---

void BoostWrapper::SetBoostForce(float BoostForce) {
    host::BoostComponent* b = host::boostAt(memory_address);
    if (b == nullptr || refused(b->game, BoostForce, "SetBoostForce")) return;
    b->boostForce = BoostForce;
}

float BoostWrapper::GetBoostForce() {
    host::BoostComponent* b = host::boostAt(memory_address);
    return b != nullptr ? b->boostForce : 0.0f;
}

// --- AirControlComponentWrapper ---

void AirControlComponentWrapper::SetAirTorque(Rotator AirTorque) {
    if (host::AirControlComponent* a = host::airControlAt(memory_address)) a->airTorque = AirTorque;
}

Rotator AirControlComponentWrapper::GetAirTorque() {
    host::AirControlComponent* a = host::airControlAt(memory_address);
    return a != nullptr ? a->airTorque : Rotator();
}

void AirControlComponentWrapper::SetAirDamping(Rotator AirDamping) {
    if (host::AirControlComponent* a = host::airControlAt(memory_address)) a->airDamping = AirDamping;
}

Rotator AirControlComponentWrapper::GetAirDamping() {
    host::AirControlComponent* a = host::airControlAt(memory_address);
    return a != nullptr ? a->airDamping : Rotator();
}

void AirControlComponentWrapper::SetThrottleForce(float ThrottleForce) {
    host::AirControlComponent* a = host::airControlAt(memory_address);
    if (a == nullptr || refused(a->game, ThrottleForce, "SetThrottleForce")) return;
    a->throttleForce = ThrottleForce;
}

float AirControlComponentWrapper::GetThrottleForce() {
    host::AirControlComponent* a = host::airControlAt(memory_address);
    return a != nullptr ? a->throttleForce : 0.0f;
}

// --- VehicleSimWrapper ---

ArrayWrapper<WheelWrapper> VehicleSimWrapper::GetWheels() {
    return ArrayWrapper<WheelWrapper>(host::vehicleSimAt(memory_address) != nullptr ? memory_address
                                                                                    : 0);
}

#define WL_SIM_FLOAT(Name, field)                                                                  \
    void VehicleSimWrapper::Set##Name(float value) {                                               \
        host::VehicleSim* s = host::vehicleSimAt(memory_address);                                  \
        if (s == nullptr || refused(s->car->game, value, "Set" #Name)) return;                     \
        s->field = value;                                                                          \
    }                                                                                              \
    float VehicleSimWrapper::Get##Name() {                                                         \
        host::VehicleSim* s = host::vehicleSimAt(memory_address);                                  \
        return s != nullptr ? s->field : 0.0f;                                                     \
    }

WL_SIM_FLOAT(DriveTorque, driveTorque)
WL_SIM_FLOAT(BrakeTorque, brakeTorque)
WL_SIM_FLOAT(StopThreshold, stopThreshold)
WL_SIM_FLOAT(IdleBrakeFactor, idleBrakeFactor)
WL_SIM_FLOAT(OppositeBrakeFactor, oppositeBrakeFactor)

void VehicleSimWrapper::SetbUseAckermannSteering(unsigned long value) {
    if (host::VehicleSim* s = host::vehicleSimAt(memory_address)) s->useAckermannSteering = value;
}

unsigned long VehicleSimWrapper::GetbUseAckermannSteering() {
    host::VehicleSim* s = host::vehicleSimAt(memory_address);
    return s != nullptr ? s->useAckermannSteering : 0;
}

// --- WheelWrapper ---

#define WL_WHEEL_GET(Getter, field, type, zero)                                                    \
    type WheelWrapper::Getter() {                                                                  \
        host::Wheel* w = host::wheelAt(memory_address);                                            \
        return w != nullptr ? w->field : zero;                                                     \
    }

#define WL_WHEEL_FLOAT(Name, field)                                                                \
    void WheelWrapper::Set##Name(float value) {                                                    \
        host::Wheel* w = host::wheelAt(memory_address);                                            \
        if (w == nullptr || refused(w->sim->car->game, value, "Set" #Name)) return;                \
        w->field = value;                                                                          \
    }                                                                                              \
    WL_WHEEL_GET(Get##Name, field, float, 0.0f)

WL_WHEEL_FLOAT(SuspensionStiffness, suspensionStiffness)
WL_WHEEL_FLOAT(SuspensionDampingCompression, suspensionDampingCompression)
WL_WHEEL_FLOAT(SuspensionDampingRelaxation, suspensionDampingRelaxation)
WL_WHEEL_FLOAT(SuspensionTravel, suspensionTravel)
WL_WHEEL_FLOAT(SuspensionMaxRaise, suspensionMaxRaise)
WL_WHEEL_FLOAT(SpinSpeedDecayRate, spinSpeedDecayRate)
WL_WHEEL_FLOAT(SpinSpeed, spinSpeed)
WL_WHEEL_GET(GetSteer2, steer, float, 0.0f)
WL_WHEEL_GET(GetSuspensionDistance, suspensionDistance, float, 0.0f)
WL_WHEEL_GET(GetRefWheelLocation, refLocation, Vector, Vector())
