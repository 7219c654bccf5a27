// A stand-in for the host console's command execution, linked only into wl_presets_tests.
#include "RecordingConsole.h"

std::vector<std::pair<std::string, bool>> recordedCommands;

CVarManagerWrapper::CVarManagerWrapper(std::uintptr_t mem, std::type_index pluginIdx)
    : memory_address(mem), pluginIdx_(pluginIdx) {}
CVarManagerWrapper::~CVarManagerWrapper() = default;

void CVarManagerWrapper::executeCommand(std::string command, bool log) {
    recordedCommands.emplace_back(std::move(command), log);
}
