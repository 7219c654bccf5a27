// ActorWrapper, RBActorWrapper and VehicleWrapper on the simulated game's objects.
//
// Every call on a null, removed or mismatched handle does nothing and reads zeros. A write of a
// non-finite number is refused (the state stays as it was) and reported as a diagnostic.
#include <string>

#include "bakkesmod/wrappers/includes.h"
#include "game/Game.h"
#include "game/Physics.h"

using host::phys::isFinite;

namespace {

// True (after reporting it) when the value must not reach the game state.
bool refused(host::Actor* a, bool finite, const char* what) {
    return a->game->refusedNonFinite(finite, what);
}

}  // namespace

// --- ActorWrapper ---

Vector ActorWrapper::GetLocation() {
    host::Actor* a = host::actorAt(memory_address);
    return a != nullptr ? a->rb.Location : Vector();
}

void ActorWrapper::SetLocation(const Vector location) {
    host::Actor* a = host::actorAt(memory_address);
    if (a == nullptr || refused(a, isFinite(location), "SetLocation")) return;
    a->rb.Location = location;
}

Vector ActorWrapper::GetVelocity() {
    host::Actor* a = host::actorAt(memory_address);
    return a != nullptr ? a->rb.LinearVelocity : Vector();
}

void ActorWrapper::SetVelocity(const Vector velocity) {
    host::Actor* a = host::actorAt(memory_address);
    if (a == nullptr || refused(a, isFinite(velocity), "SetVelocity")) return;
    a->rb.LinearVelocity = velocity;
}

void ActorWrapper::AddVelocity(const Vector velocity) {
    host::Actor* a = host::actorAt(memory_address);
    if (a == nullptr) return;
    const Vector sum = a->rb.LinearVelocity + velocity;
    if (refused(a, isFinite(sum), "AddVelocity")) return;
    a->rb.LinearVelocity = sum;
}

Rotator ActorWrapper::GetRotation() {
    host::Actor* a = host::actorAt(memory_address);
    return a != nullptr ? QuatToRotator(a->rb.Quaternion) : Rotator();
}

void ActorWrapper::SetRotation(const Rotator rotation) {
    if (host::Actor* a = host::actorAt(memory_address)) a->rb.Quaternion = RotatorToQuat(rotation);
}

// The simulated bodies take no external torque; the call is accepted and has no effect.
void ActorWrapper::SetTorque(const Vector) {}

void ActorWrapper::Stop() {
    if (host::Actor* a = host::actorAt(memory_address)) {
        a->rb.LinearVelocity = Vector();
        a->rb.AngularVelocity = Vector();
    }
}

Vector ActorWrapper::GetAngularVelocity() {
    host::Actor* a = host::actorAt(memory_address);
    return a != nullptr ? a->rb.AngularVelocity : Vector();
}

void ActorWrapper::SetAngularVelocity(const Vector v, bool addToCurrent) {
    host::Actor* a = host::actorAt(memory_address);
    if (a == nullptr) return;
    const Vector next = addToCurrent ? a->rb.AngularVelocity + v : v;
    if (refused(a, isFinite(next), "SetAngularVelocity")) return;
    a->rb.AngularVelocity = next;
}

// --- RBActorWrapper ---

RBState RBActorWrapper::GetRBState() {
    host::RBActor* a = host::rbActorAt(memory_address);
    return a != nullptr ? a->rb : RBState{};
}

void RBActorWrapper::SetRBState(RBState newRBState) { SetPhysicsState(newRBState); }

void RBActorWrapper::SetPhysicsState(RBState& NewState) {
    host::RBActor* a = host::rbActorAt(memory_address);
    if (a == nullptr || refused(a, isFinite(NewState), "SetPhysicsState")) return;
    a->rb = NewState;
}

float RBActorWrapper::GetMass() {
    host::RBActor* a = host::rbActorAt(memory_address);
    return a != nullptr ? a->mass : 0.0f;
}

void RBActorWrapper::SetMass(float NewMass) {
    host::RBActor* a = host::rbActorAt(memory_address);
    if (a == nullptr || refused(a, isFinite(NewMass), "SetMass")) return;
    a->mass = NewMass;
}

float RBActorWrapper::GetMaxLinearSpeed() {
    host::RBActor* a = host::rbActorAt(memory_address);
    return a != nullptr ? a->maxLinearSpeed : 0.0f;
}

void RBActorWrapper::SetMaxLinearSpeed(float newMaxLinearSpeed) {
    host::RBActor* a = host::rbActorAt(memory_address);
    if (a == nullptr || refused(a, isFinite(newMaxLinearSpeed), "SetMaxLinearSpeed")) return;
    a->maxLinearSpeed = newMaxLinearSpeed;
}

float RBActorWrapper::GetMaxLinearSpeed2() {
    host::RBActor* a = host::rbActorAt(memory_address);
    return a != nullptr ? a->maxLinearSpeed2 : 0.0f;
}

void RBActorWrapper::SetMaxLinearSpeed2(float NewMaxSpeed) {
    host::RBActor* a = host::rbActorAt(memory_address);
    if (a == nullptr || refused(a, isFinite(NewMaxSpeed), "SetMaxLinearSpeed2")) return;
    a->maxLinearSpeed2 = NewMaxSpeed;
}

float RBActorWrapper::GetMaxAngularSpeed() {
    host::RBActor* a = host::rbActorAt(memory_address);
    return a != nullptr ? a->maxAngularSpeed : 0.0f;
}

void RBActorWrapper::SetMaxAngularSpeed(float newMaxAngularSpeed) {
    host::RBActor* a = host::rbActorAt(memory_address);
    if (a == nullptr || refused(a, isFinite(newMaxAngularSpeed), "SetMaxAngularSpeed")) return;
    a->maxAngularSpeed = newMaxAngularSpeed;
}

// --- VehicleWrapper ---

bool VehicleWrapper::IsOnGround() {
    host::Car* c = host::carAt(memory_address);
    return c != nullptr && c->onGround != 0;
}

void VehicleWrapper::SetbOnGround(unsigned long bOnGround) {
    if (host::Car* c = host::carAt(memory_address)) c->onGround = bOnGround;
}

unsigned long VehicleWrapper::GetbOnGround() {
    host::Car* c = host::carAt(memory_address);
    return c != nullptr ? c->onGround : 0;
}

Vector VehicleWrapper::GetLocalCollisionExtent() {
    host::Car* c = host::carAt(memory_address);
    return c != nullptr ? c->extent : Vector();
}

void VehicleWrapper::SetStickyForce(StickyForceData StickyForce) {
    host::Car* c = host::carAt(memory_address);
    if (c == nullptr ||
        refused(c, isFinite(StickyForce.Ground) && isFinite(StickyForce.Wall), "SetStickyForce"))
        return;
    c->sticky = StickyForce;
}

StickyForceData VehicleWrapper::GetStickyForce() {
    host::Car* c = host::carAt(memory_address);
    return c != nullptr ? c->sticky : StickyForceData{0.0f, 0.0f};
}

BoostWrapper VehicleWrapper::GetBoostComponent() {
    host::Car* c = host::carAt(memory_address);
    return BoostWrapper(c != nullptr && c->boost.alive ? host::actorAddress(&c->boost) : 0);
}

AirControlComponentWrapper VehicleWrapper::GetAirControlComponent() {
    host::Car* c = host::carAt(memory_address);
    return AirControlComponentWrapper(
        c != nullptr && c->airControl.alive ? host::actorAddress(&c->airControl) : 0);
}

VehicleSimWrapper VehicleWrapper::GetVehicleSim() {
    host::Car* c = host::carAt(memory_address);
    return VehicleSimWrapper(c != nullptr ? reinterpret_cast<std::uintptr_t>(&c->sim) : 0);
}
