// The plug-in base class, the export record and the macro that defines a plug-in's exports.
#pragma once
#include <cstdint>
#include <memory>

#include "../wrappers/cvarmanagerwrapper.h"
#include "../wrappers/GameWrapper.h"
#include "bakkesmodsdk.h"

namespace BakkesMod {
namespace Plugin {

typedef std::uintptr_t (*GetPluginFunc)();
typedef void (*deleteFunc)();

struct PluginInfo {
    short apiBuildVersion;
    const char* fileName;
    const char* className;
    const char* pluginName;
    const char* pluginVersion;
    const unsigned long pluginType;
    GetPluginFunc initializeFunc;
    deleteFunc delFunc;
};

typedef PluginInfo*(__stdcall* export_func)();

class BAKKESMOD_PLUGIN_EXPORT BakkesModPlugin {
public:
    std::shared_ptr<CVarManagerWrapper> cvarManager;
    std::shared_ptr<GameWrapper> gameWrapper;
    virtual void onLoad() {}
    // Notifiers and variables are dropped by the host when a plug-in unloads.
    virtual void onUnload() {}
};

}  // namespace Plugin
}  // namespace BakkesMod

// The first two fields of a plug-in's export record: the API version it was built for and the
// source file that defines the exports.
#define BAKKESMOD_STANDARD_PLUGIN_STUFF BAKKESMOD_PLUGIN_API_VERSION, __FILE__

// Defines the library's one plug-in object and its three exports. Use once, at global scope.
#define BAKKESMOD_PLUGIN(classType, pluginName, pluginVersion, pluginType)                         \
    static std::shared_ptr<classType> singleton;                                                   \
    extern "C" {                                                                                   \
    BAKKESMOD_PLUGIN_EXPORT std::uintptr_t getPlugin() {                                           \
        if (!singleton) {                                                                          \
            singleton = std::shared_ptr<classType>(new classType());                               \
        }                                                                                          \
        return reinterpret_cast<std::uintptr_t>(&singleton);                                       \
    }                                                                                              \
    BAKKESMOD_PLUGIN_EXPORT void deleteMe() {                                                      \
        if (singleton) {                                                                           \
            singleton = nullptr;                                                                   \
        }                                                                                          \
    }                                                                                              \
    BAKKESMOD_PLUGIN_EXPORT BakkesMod::Plugin::PluginInfo exports = {                              \
        BAKKESMOD_STANDARD_PLUGIN_STUFF, #classType, pluginName, pluginVersion, pluginType,        \
        getPlugin, deleteMe};                                                                      \
    }
