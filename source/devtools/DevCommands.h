// The developer toolbox: debug console variables and commands on ball, car and wheels.
#pragma once
#include <memory>

#include "bakkesmod/wrappers/GameWrapper.h"
#include "bakkesmod/wrappers/cvarmanagerwrapper.h"

class DevCommands {
public:
    std::shared_ptr<CVarManagerWrapper> cvarManager;
    std::shared_ptr<GameWrapper> gameWrapper;
    // Every line a command writes goes through this handle.
    std::shared_ptr<CVarManagerWrapper> logger;
};
