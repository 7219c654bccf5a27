// Loading and unloading plug-ins through their exports, as the mod host does.
#pragma once
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bakkesmod/plugin/bakkesmodplugin.h"
#include "sdk/PluginContext.h"

namespace host {

class Console;
class DynamicLibrary;

class PluginLoader {
public:
    // Bare names are looked up in PLUGIN_DIR (ROOT/bakkesmod/plugins), then in FALLBACK_DIR
    // (the build's own plug-in directory; empty for none).
    PluginLoader(Console& console, std::filesystem::path pluginDir, std::filesystem::path fallbackDir);
    ~PluginLoader();  // unloads every plug-in still loaded
    PluginLoader(const PluginLoader&) = delete;
    PluginLoader& operator=(const PluginLoader&) = delete;

    // The game that new plug-ins' handles reach (null: none) and what drops a plug-in's
    // hooks and drawables from it before its library closes.
    void setGame(Game* game, std::function<void(const PluginContext*)> dropGameOwner);

    // Loads NAME or PATH: getPlugin, the console and game handles, onLoad. Diagnostics go
    // to the console's error stream; false on failure.
    bool load(const std::string& nameOrPath);
    // onUnload, deleteMe, drop its registrations, close the library. NAME is the class
    // name or the library's file name without suffix. False when not loaded.
    bool unload(const std::string& name);
    // Unloads every plug-in, the last loaded first.
    void unloadAll();

    // The loaded plug-ins, in load order.
    std::vector<const PluginContext*> plugins() const;
    // The library file a NAME or PATH argument denotes.
    std::filesystem::path resolve(const std::string& nameOrPath) const;

    // Adds the host command "plugin load|unload|list".
    void registerCommands();

private:
    struct Loaded;
    // Opens the library and checks its exports; null (reported) when it is no plug-in this
    // host can load, or one of its class is loaded already.
    std::unique_ptr<DynamicLibrary> openPlugin(const std::filesystem::path& path,
                                               const BakkesMod::Plugin::PluginInfo*& info);
    // getPlugin, the handles, onLoad.
    bool start(std::unique_ptr<Loaded> entry, BakkesMod::Plugin::GetPluginFunc getPlugin);
    void unloadEntry(std::size_t index);

    Console& console_;
    std::filesystem::path pluginDir_;
    std::filesystem::path fallbackDir_;
    Game* game_ = nullptr;
    std::function<void(const PluginContext*)> dropGameOwner_;
    std::vector<std::unique_ptr<Loaded>> loaded_;
};

}  // namespace host
