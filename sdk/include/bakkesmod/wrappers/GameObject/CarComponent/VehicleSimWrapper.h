// Handle of a car's vehicle simulation: drive constants and the wheel list.
#pragma once
#include "../../Engine/ObjectWrapper.h"
#include "../../arraywrapper.h"
#include "WheelWrapper.h"

class BAKKESMOD_PLUGIN_IMPORT VehicleSimWrapper : public ObjectWrapper {
public:
    CONSTRUCTORS(VehicleSimWrapper)

    _NODISCARD bool IsNull() const;
    explicit operator bool() const;

    ArrayWrapper<WheelWrapper> GetWheels();
    GETSETH(float, DriveTorque)
    GETSETH(float, BrakeTorque)
    GETSETH(float, StopThreshold)
    GETSETH(float, IdleBrakeFactor)
    GETSETH(float, OppositeBrakeFactor)
    GETSETH(unsigned long, bUseAckermannSteering)
};
