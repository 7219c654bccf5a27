// Handle of a car.
#pragma once
#include "VehicleWrapper.h"

class BAKKESMOD_PLUGIN_IMPORT CarWrapper : public VehicleWrapper {
public:
    CONSTRUCTORS(CarWrapper)
};
