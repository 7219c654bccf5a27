// Handle of a rigid-body actor: its physics state, mass and speed limits.
#pragma once
#include "../Engine/ActorWrapper.h"

class BAKKESMOD_PLUGIN_IMPORT RBActorWrapper : public ActorWrapper {
public:
    CONSTRUCTORS(RBActorWrapper)

    RBState GetRBState();
    void SetRBState(RBState newRBState);
    // Writes the whole rigid-body record; the reference is non-const as in the host.
    void SetPhysicsState(RBState& NewState);
    float GetMass();
    void SetMass(float NewMass);
    float GetMaxLinearSpeed();
    void SetMaxLinearSpeed(float newMaxLinearSpeed);
    float GetMaxLinearSpeed2();
    void SetMaxLinearSpeed2(float NewMaxSpeed);
    float GetMaxAngularSpeed();
    void SetMaxAngularSpeed(float newMaxAngularSpeed);
};
