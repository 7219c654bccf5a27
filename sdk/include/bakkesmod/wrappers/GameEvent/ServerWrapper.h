// Handle of a locally hosted game event: its ball, game car and speed.
#pragma once
#include "TeamGameEventWrapper.h"

class BAKKESMOD_PLUGIN_IMPORT ServerWrapper : public TeamGameEventWrapper {
public:
    CONSTRUCTORS(ServerWrapper)

    BallWrapper GetBall();
    CarWrapper GetGameCar();
    ArrayWrapper<BallWrapper> GetGameBalls();
    float GetGameSpeed();
    void SetGameSpeed(float newGameSpeed);
};
