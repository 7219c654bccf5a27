// Handle of a game event (a running match or session): its cars.
#pragma once
#include "../Engine/ActorWrapper.h"
#include "../GameObject/BallWrapper.h"
#include "../GameObject/CarWrapper.h"
#include "../arraywrapper.h"

class BAKKESMOD_PLUGIN_IMPORT GameEventWrapper : public ActorWrapper {
public:
    CONSTRUCTORS(GameEventWrapper)

    ArrayWrapper<CarWrapper> GetCars();
};
