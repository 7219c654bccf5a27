// GameWrapper's handle members: memory_address is the plug-in's host::PluginContext.
#include "bakkesmod/wrappers/GameWrapper.h"

GameWrapper::GameWrapper(std::uintptr_t mem, long pluginType, std::type_index idx)
    : memory_address(mem), pluginType_(pluginType), pluginIdx_(idx) {}

GameWrapper::GameWrapper(const GameWrapper& other) = default;

GameWrapper& GameWrapper::operator=(GameWrapper rhs) {
    memory_address = rhs.memory_address;
    pluginType_ = rhs.pluginType_;
    pluginIdx_ = rhs.pluginIdx_;
    return *this;
}

GameWrapper::~GameWrapper() = default;
