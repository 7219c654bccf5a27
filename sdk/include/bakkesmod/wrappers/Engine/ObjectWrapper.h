// Base of every game-object handle: the address of a host object, 0 for none.
#pragma once
#include <cstdint>

#include "../wrapperstructs.h"

class BAKKESMOD_PLUGIN_IMPORT ObjectWrapper {
public:
    std::uintptr_t memory_address;
    ObjectWrapper(std::uintptr_t mem) : memory_address(mem) {}  // NOLINT: implicit as in the host
};
