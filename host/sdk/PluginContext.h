// What the host knows about one loaded plug-in; the console and game handles point at it.
#pragma once
#include <cstdint>
#include <string>

namespace host {

class Console;
class Game;

// Created by the loader before getPlugin and destroyed after the library is closed.
// CVarManagerWrapper::memory_address and GameWrapper::memory_address hold its address.
// Registrations made through those handles (variables, notifiers, change handlers, bound
// cells, hooks, drawables) are tagged with it, so unloading can drop exactly them.
struct PluginContext {
    Console* console = nullptr;
    Game* game = nullptr;        // null while the host has no simulated game
    std::string className;       // exports.className, e.g. "wingleaf"
    std::string displayName;     // exports.pluginName
    std::string version;         // exports.pluginVersion
    std::string path;            // the library file that was opened
    long pluginType = 0;         // exports.pluginType (PLUGINTYPE_* bits)
};

// The context, console and game behind a CVarManagerWrapper's or GameWrapper's memory_address;
// null for a null handle (and the console or game for a context without one).
inline PluginContext* contextAt(std::uintptr_t address) {
    return reinterpret_cast<PluginContext*>(address);
}
inline Console* consoleAt(std::uintptr_t address) {
    PluginContext* ctx = contextAt(address);
    return ctx != nullptr ? ctx->console : nullptr;
}
inline Game* gameAt(std::uintptr_t address) {
    PluginContext* ctx = contextAt(address);
    return ctx != nullptr ? ctx->game : nullptr;
}

}  // namespace host
