// Handle of a game actor: location, rotation, velocities.
#pragma once
#include "ObjectWrapper.h"

class BAKKESMOD_PLUGIN_IMPORT ActorWrapper : public ObjectWrapper {
public:
    CONSTRUCTORS(ActorWrapper)

    bool IsNull();
    bool IsNull() const;
    explicit operator bool();
    explicit operator bool() const;

    Vector GetLocation();
    void SetLocation(const Vector location);
    Vector GetVelocity();
    void SetVelocity(const Vector velocity);
    // Adds to the current linear velocity.
    void AddVelocity(const Vector velocity);
    Rotator GetRotation();
    void SetRotation(const Rotator rotation);
    void SetTorque(const Vector torq);
    void Stop();
    Vector GetAngularVelocity();
    // Sets the angular velocity, or adds to it when addToCurrent is true.
    void SetAngularVelocity(const Vector v, bool addToCurrent);
};
