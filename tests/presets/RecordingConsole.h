// Commands sent through the stand-in console, with their log flag, in order.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "bakkesmod/wrappers/cvarmanagerwrapper.h"

extern std::vector<std::pair<std::string, bool>> recordedCommands;
