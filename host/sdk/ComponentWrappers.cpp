// Boost, air-control, vehicle-simulation and wheel wrappers on a simulated car's parts.
//
// Null or removed handles do nothing and read zeros; non-finite writes are refused and reported.
#include <string>

#include "bakkesmod/wrappers/includes.h"
#include "sdk/FiniteWrite.h"

using host::airControlAt;
using host::boostAt;
using host::vehicleSimAt;
using host::wheelAt;

// --- BoostWrapper ---

WL_GETSET_FINITE(BoostWrapper, float, BoostForce, boostAt, boostForce)

// --- AirControlComponentWrapper ---

WL_GETSET(AirControlComponentWrapper, Rotator, AirTorque, airControlAt, airTorque)
WL_GETSET(AirControlComponentWrapper, Rotator, AirDamping, airControlAt, airDamping)
WL_GETSET_FINITE(AirControlComponentWrapper, float, ThrottleForce, airControlAt, throttleForce)

// --- VehicleSimWrapper ---

ArrayWrapper<WheelWrapper> VehicleSimWrapper::GetWheels() {
    return ArrayWrapper<WheelWrapper>(vehicleSimAt(memory_address) != nullptr ? memory_address : 0);
}

WL_GETSET_FINITE(VehicleSimWrapper, float, DriveTorque, vehicleSimAt, driveTorque)
WL_GETSET_FINITE(VehicleSimWrapper, float, BrakeTorque, vehicleSimAt, brakeTorque)
WL_GETSET_FINITE(VehicleSimWrapper, float, StopThreshold, vehicleSimAt, stopThreshold)
WL_GETSET_FINITE(VehicleSimWrapper, float, IdleBrakeFactor, vehicleSimAt, idleBrakeFactor)
WL_GETSET_FINITE(VehicleSimWrapper, float, OppositeBrakeFactor, vehicleSimAt, oppositeBrakeFactor)
WL_GETSET(VehicleSimWrapper, unsigned long, bUseAckermannSteering, vehicleSimAt,
          useAckermannSteering)

// --- WheelWrapper ---

WL_GETSET_FINITE(WheelWrapper, float, SuspensionStiffness, wheelAt, suspensionStiffness)
WL_GETSET_FINITE(WheelWrapper, float, SuspensionDampingCompression, wheelAt,
                 suspensionDampingCompression)
WL_GETSET_FINITE(WheelWrapper, float, SuspensionDampingRelaxation, wheelAt,
                 suspensionDampingRelaxation)
WL_GETSET_FINITE(WheelWrapper, float, SuspensionTravel, wheelAt, suspensionTravel)
WL_GETSET_FINITE(WheelWrapper, float, SuspensionMaxRaise, wheelAt, suspensionMaxRaise)
WL_GETSET_FINITE(WheelWrapper, float, SpinSpeedDecayRate, wheelAt, spinSpeedDecayRate)
WL_GETSET_FINITE(WheelWrapper, float, SpinSpeed, wheelAt, spinSpeed)
WL_GET(WheelWrapper, float, GetSteer2, wheelAt, steer)
WL_GET(WheelWrapper, float, GetSuspensionDistance, wheelAt, suspensionDistance)
WL_GET(WheelWrapper, Vector, GetRefWheelLocation, wheelAt, refLocation)
