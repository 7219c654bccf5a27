// Plug-in libraries that the loader must refuse, one per fault; WL_FAULT_<name> picks the fault.
#include <cstdint>
#include <memory>

#include "bakkesmod/plugin/bakkesmodplugin.h"

#define WL_EXPORT extern "C" BAKKESMOD_PLUGIN_EXPORT

#if defined(WL_FAULT_no_exports)

WL_EXPORT int notAPlugin() { return 0; }

#else

namespace {
// Never filled: getPlugin hands out an empty pointer in the empty_plugin library.
std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin> noPlugin;
}  // namespace

#if defined(WL_FAULT_no_entry_points)
constexpr BakkesMod::Plugin::GetPluginFunc kGetPlugin = nullptr;
constexpr BakkesMod::Plugin::deleteFunc kDeleteMe = nullptr;
#else
WL_EXPORT std::uintptr_t getPlugin() {
#if defined(WL_FAULT_null_plugin)
    return 0;
#else
    return reinterpret_cast<std::uintptr_t>(&noPlugin);
#endif
}
WL_EXPORT void deleteMe() {}
constexpr BakkesMod::Plugin::GetPluginFunc kGetPlugin = getPlugin;
constexpr BakkesMod::Plugin::deleteFunc kDeleteMe = deleteMe;
#endif

#if defined(WL_FAULT_old_api)
constexpr short kApiVersion = BAKKESMOD_PLUGIN_API_VERSION - 1;
#else
constexpr short kApiVersion = BAKKESMOD_PLUGIN_API_VERSION;
#endif

extern "C" {
BAKKESMOD_PLUGIN_EXPORT BakkesMod::Plugin::PluginInfo exports = {
    kApiVersion, __FILE__, "BrokenPlugin", "Broken Plugin", "0.1", PLUGINTYPE_FREEPLAY,
    kGetPlugin, kDeleteMe};
}

#endif
