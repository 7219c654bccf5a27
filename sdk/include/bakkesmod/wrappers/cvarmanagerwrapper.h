// Handle of the host console: variables, notifiers (commands), command execution, log.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <typeindex>
#include <vector>

#include "cvarwrapper.h"

typedef void (*commandNotifier)(std::vector<std::string>);

class BAKKESMOD_PLUGIN_IMPORT CVarManagerWrapper {
public:
    CVarManagerWrapper(std::uintptr_t mem, std::type_index pluginIdx);
    CVarManagerWrapper(const CVarManagerWrapper& other);
    CVarManagerWrapper& operator=(CVarManagerWrapper rhs);
    ~CVarManagerWrapper();

    CVarWrapper registerCvar(std::string cvar, std::string defaultValue, std::string desc = "",
                             bool searchAble = true, bool hasMin = false, float min = 0,
                             bool hasMax = false, float max = 0, bool saveToCfg = true);
    // The notifier gets the typed line's words, the command's name first.
    void registerNotifier(std::string cvar, commandNotifier notifier, std::string description,
                          unsigned char permissions);
    void registerNotifier(std::string cvar, std::function<void(std::vector<std::string>)> notifier,
                          std::string description, unsigned char permissions);
    bool removeNotifier(std::string cvar);
    bool removeCvar(std::string cvar);
    // A null wrapper when no variable has the name.
    CVarWrapper getCvar(std::string cvar);
    // Runs a console line as if typed; a variable set this way runs its change handlers.
    void executeCommand(std::string command, bool log = true);
    // Appends one line to the console.
    void log(std::string text);
    void log(std::wstring text);

    std::uintptr_t memory_address;

private:
    std::type_index pluginIdx_;
};
