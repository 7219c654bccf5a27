// Handle of a ball.
#pragma once
#include "RBActorWrapper.h"

class BAKKESMOD_PLUGIN_IMPORT BallWrapper : public RBActorWrapper {
public:
    CONSTRUCTORS(BallWrapper)
};
