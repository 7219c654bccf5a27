// Handle of a team game event.
#pragma once
#include "GameEventWrapper.h"

class BAKKESMOD_PLUGIN_IMPORT TeamGameEventWrapper : public GameEventWrapper {
public:
    CONSTRUCTORS(TeamGameEventWrapper)
};
