// Handle of a vehicle: ground contact, collision box, sticky force and components.
#pragma once
#include "RBActorWrapper.h"
#include "CarComponent/AirControlComponentWrapper.h"
#include "CarComponent/BoostWrapper.h"
#include "CarComponent/VehicleSimWrapper.h"

class BAKKESMOD_PLUGIN_IMPORT VehicleWrapper : public RBActorWrapper {
public:
    CONSTRUCTORS(VehicleWrapper)

    bool IsOnGround();
    GETSETH(unsigned long, bOnGround)
    // Half-extent of the collision box along the car's forward, right and up axes, in uu.
    Vector GetLocalCollisionExtent();
    // Sticky force as multiples of gravity: {Ground, Wall}.
    GETSETH(StickyForceData, StickyForce)
    // Null handles when the car lacks the component.
    BoostWrapper GetBoostComponent();
    AirControlComponentWrapper GetAirControlComponent();
    VehicleSimWrapper GetVehicleSim();
};
