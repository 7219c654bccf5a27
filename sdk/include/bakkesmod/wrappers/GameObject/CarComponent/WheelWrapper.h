// Handle of one wheel of a car's vehicle simulation.
#pragma once
#include "../../Engine/ObjectWrapper.h"

class BAKKESMOD_PLUGIN_IMPORT WheelWrapper : public ObjectWrapper {
public:
    CONSTRUCTORS(WheelWrapper)

    _NODISCARD bool IsNull() const;
    explicit operator bool() const;

    GETSETH(float, SuspensionStiffness)
    GETSETH(float, SuspensionDampingCompression)
    GETSETH(float, SuspensionDampingRelaxation)
    GETSETH(float, SuspensionTravel)
    GETSETH(float, SuspensionMaxRaise)
    GETSETH(float, SpinSpeedDecayRate)
    GETSETH(float, SpinSpeed)
    float GetSteer2();
    float GetSuspensionDistance();
    Vector GetRefWheelLocation();
};
