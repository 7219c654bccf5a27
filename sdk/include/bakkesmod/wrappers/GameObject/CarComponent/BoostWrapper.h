// Handle of a car's boost component.
#pragma once
#include "CarComponentWrapper.h"

class BAKKESMOD_PLUGIN_IMPORT BoostWrapper : public CarComponentWrapper {
public:
    CONSTRUCTORS(BoostWrapper)

    // Boost force in mass-units times uu/s^2 (stock 178500 on a car of mass 180).
    GETSETH(float, BoostForce)
};
