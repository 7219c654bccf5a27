// Handle of a component attached to a car (boost, air control, ...).
#pragma once
#include "../../Engine/ActorWrapper.h"

class BAKKESMOD_PLUGIN_IMPORT CarComponentWrapper : public ActorWrapper {
public:
    CONSTRUCTORS(CarComponentWrapper)
};
