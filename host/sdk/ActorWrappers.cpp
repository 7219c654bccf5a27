// ActorWrapper, RBActorWrapper and VehicleWrapper on the simulated game's objects.
//
// Every call on a null, removed or mismatched handle does nothing and reads zeros. A write of a
// non-finite number is refused (the state stays as it was) and reported as a diagnostic.
#include <string>

#include "bakkesmod/wrappers/includes.h"
#include "sdk/FiniteWrite.h"

using host::actorAt;
using host::carAt;
using host::rbActorAt;
using host::access::writeFinite;

// --- ActorWrapper ---

WL_GET(ActorWrapper, Vector, GetLocation, actorAt, rb.Location)
WL_SET_FINITE(ActorWrapper, const Vector, SetLocation, actorAt, rb.Location)
WL_GET(ActorWrapper, Vector, GetVelocity, actorAt, rb.LinearVelocity)
WL_SET_FINITE(ActorWrapper, const Vector, SetVelocity, actorAt, rb.LinearVelocity)
WL_GET(ActorWrapper, Vector, GetAngularVelocity, actorAt, rb.AngularVelocity)

void ActorWrapper::AddVelocity(const Vector velocity) {
    host::Actor* a = actorAt(memory_address);
    if (a != nullptr)
        writeFinite(a, WL_FIELD(rb.LinearVelocity), a->rb.LinearVelocity + velocity, "AddVelocity");
}

void ActorWrapper::SetAngularVelocity(const Vector v, bool addToCurrent) {
    host::Actor* a = actorAt(memory_address);
    if (a != nullptr)
        writeFinite(a, WL_FIELD(rb.AngularVelocity), addToCurrent ? a->rb.AngularVelocity + v : v,
                    "SetAngularVelocity");
}

Rotator ActorWrapper::GetRotation() {
    host::Actor* a = actorAt(memory_address);
    return a != nullptr ? QuatToRotator(a->rb.Quaternion) : Rotator();
}

void ActorWrapper::SetRotation(const Rotator rotation) {
    if (host::Actor* a = actorAt(memory_address)) a->rb.Quaternion = RotatorToQuat(rotation);
}

// The simulated bodies take no external torque; the call is accepted and has no effect.
void ActorWrapper::SetTorque(const Vector) {}

void ActorWrapper::Stop() {
    if (host::Actor* a = actorAt(memory_address)) {
        a->rb.LinearVelocity = Vector();
        a->rb.AngularVelocity = Vector();
    }
}

// --- RBActorWrapper ---

WL_GET(RBActorWrapper, RBState, GetRBState, rbActorAt, rb)
WL_SET_FINITE(RBActorWrapper, RBState&, SetPhysicsState, rbActorAt, rb)
void RBActorWrapper::SetRBState(RBState newRBState) {
    SetPhysicsState(newRBState);
}
WL_GETSET_FINITE(RBActorWrapper, float, Mass, rbActorAt, mass)
WL_GETSET_FINITE(RBActorWrapper, float, MaxLinearSpeed, rbActorAt, maxLinearSpeed)
WL_GETSET_FINITE(RBActorWrapper, float, MaxLinearSpeed2, rbActorAt, maxLinearSpeed2)
WL_GETSET_FINITE(RBActorWrapper, float, MaxAngularSpeed, rbActorAt, maxAngularSpeed)

// --- VehicleWrapper ---

bool VehicleWrapper::IsOnGround() {
    host::Car* c = carAt(memory_address);
    return c != nullptr && c->onGround != 0;
}

WL_GETSET(VehicleWrapper, unsigned long, bOnGround, carAt, onGround)
WL_GET(VehicleWrapper, Vector, GetLocalCollisionExtent, carAt, extent)
WL_GETSET_FINITE(VehicleWrapper, StickyForceData, StickyForce, carAt, sticky)

BoostWrapper VehicleWrapper::GetBoostComponent() {
    host::Car* c = carAt(memory_address);
    return BoostWrapper(c != nullptr && c->boost.alive ? host::actorAddress(&c->boost) : 0);
}

AirControlComponentWrapper VehicleWrapper::GetAirControlComponent() {
    host::Car* c = carAt(memory_address);
    return AirControlComponentWrapper(
        c != nullptr && c->airControl.alive ? host::actorAddress(&c->airControl) : 0);
}

VehicleSimWrapper VehicleWrapper::GetVehicleSim() {
    host::Car* c = carAt(memory_address);
    return VehicleSimWrapper(c != nullptr ? reinterpret_cast<std::uintptr_t>(&c->sim) : 0);
}
