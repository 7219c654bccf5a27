// One full set of the fourteen slider values, and the console handle that applies it.
#pragma once
#include <memory>

#include "bakkesmod/wrappers/cvarmanagerwrapper.h"

class Preset {
public:
    float speed = 1;
    float boost = 1;
    float air_density = 0;
    float length = 1;
    float width = 1;
    float height = 1;
    float drag_x = 0;
    float drag_y = 0;
    float drag_z = 0;
    float pitch = 0;
    float roll = 0;
    float yaw = 0;
    float lift = 0;
    float throttle = 1;
    std::shared_ptr<CVarManagerWrapper> cvarManager;
};
