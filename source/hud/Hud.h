// The canvas overlay: car panel, heading gauge and slider panel.
#pragma once
#include <memory>

#include "bakkesmod/wrappers/GameWrapper.h"
#include "bakkesmod/wrappers/cvarmanagerwrapper.h"

class wingleaf;

class Hud {
public:
    std::shared_ptr<GameWrapper> game;
    std::shared_ptr<CVarManagerWrapper> console;
    // The plug-in object whose setting cells the slider panel reads; not owned.
    wingleaf* owner = nullptr;
};
