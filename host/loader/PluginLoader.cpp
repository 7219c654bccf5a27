// Loading and unloading plug-ins through their exports, as the mod host does.
#include "loader/PluginLoader.h"

#include <typeindex>
#include <typeinfo>

#include "console/Console.h"
#include "loader/DynamicLibrary.h"

namespace host {

using BakkesMod::Plugin::BakkesModPlugin;
using BakkesMod::Plugin::PluginInfo;

struct PluginLoader::Loaded {
    std::unique_ptr<PluginContext> ctx;
    std::unique_ptr<DynamicLibrary> library;
    std::shared_ptr<BakkesModPlugin> plugin;
    BakkesMod::Plugin::deleteFunc deleteMe = nullptr;
    std::string fileStem;
};

PluginLoader::PluginLoader(Console& console, std::filesystem::path pluginDir,
                           std::filesystem::path fallbackDir)
    : console_(console), pluginDir_(std::move(pluginDir)), fallbackDir_(std::move(fallbackDir)) {}

PluginLoader::~PluginLoader() { unloadAll(); }

void PluginLoader::setGame(Game* game, std::function<void(const PluginContext*)> dropGameOwner) {
    game_ = game;
    dropGameOwner_ = std::move(dropGameOwner);
}

std::filesystem::path PluginLoader::resolve(const std::string& nameOrPath) const {
    const std::string suffix = DynamicLibrary::suffix();
    const bool isPath = nameOrPath.find_first_of("/\\") != std::string::npos ||
                        (nameOrPath.size() > suffix.size() &&
                         nameOrPath.compare(nameOrPath.size() - suffix.size(), suffix.size(), suffix) == 0);
    if (isPath) return std::filesystem::path(nameOrPath);
    const std::filesystem::path installed = pluginDir_ / (nameOrPath + suffix);
    if (std::filesystem::exists(installed) || fallbackDir_.empty()) return installed;
    const std::filesystem::path built = fallbackDir_ / (nameOrPath + suffix);
    return std::filesystem::exists(built) ? built : installed;
}

std::unique_ptr<DynamicLibrary> PluginLoader::openPlugin(const std::filesystem::path& path,
                                                         const PluginInfo*& info) {
    std::string error;
    auto library = DynamicLibrary::open(path.string(), error);
    if (!library) {
        console_.err("plugin load: cannot open " + path.string() + ": " + error);
        return nullptr;
    }
    info = static_cast<const PluginInfo*>(library->symbol("exports"));
    if (!info || !info->className) {
        console_.err("plugin load: " + path.string() + " has no plug-in exports");
        return nullptr;
    }
    if (info->apiBuildVersion != BAKKESMOD_PLUGIN_API_VERSION) {
        console_.err("plugin load: " + path.string() + " was built for API version " +
                     std::to_string(info->apiBuildVersion) + ", the host has " +
                     std::to_string(BAKKESMOD_PLUGIN_API_VERSION));
        return nullptr;
    }
    for (const auto& entry : loaded_) {
        if (entry->ctx->className == info->className) {
            console_.err("plugin load: " + std::string(info->className) + " is already loaded");
            return nullptr;
        }
    }
    return library;
}

bool PluginLoader::load(const std::string& nameOrPath) {
    const std::filesystem::path path = resolve(nameOrPath);
    const PluginInfo* info = nullptr;
    auto library = openPlugin(path, info);
    if (!library) return false;
    const std::string className = info->className;
    auto getPlugin = info->initializeFunc;
    if (!getPlugin) getPlugin = reinterpret_cast<BakkesMod::Plugin::GetPluginFunc>(library->symbol("getPlugin"));
    auto deleteMe = info->delFunc;
    if (!deleteMe) deleteMe = reinterpret_cast<BakkesMod::Plugin::deleteFunc>(library->symbol("deleteMe"));
    if (!getPlugin || !deleteMe) {
        console_.err("plugin load: " + path.string() + " lacks getPlugin or deleteMe");
        return false;
    }

    auto entry = std::make_unique<Loaded>();
    entry->ctx = std::make_unique<PluginContext>();
    PluginContext& ctx = *entry->ctx;
    ctx.console = &console_;
    ctx.game = game_;
    ctx.className = className;
    ctx.displayName = info->pluginName ? info->pluginName : "";
    ctx.version = info->pluginVersion ? info->pluginVersion : "";
    ctx.path = path.string();
    ctx.pluginType = static_cast<long>(info->pluginType);
    entry->deleteMe = deleteMe;
    entry->fileStem = path.stem().string();
    entry->library = std::move(library);
    return start(std::move(entry), getPlugin);
}

bool PluginLoader::start(std::unique_ptr<Loaded> entry, BakkesMod::Plugin::GetPluginFunc getPlugin) {
    const std::string className = entry->ctx->className;
    // getPlugin hands out the address of the library's shared_ptr to its own class; the
    // class derives from BakkesModPlugin as its first base, so the host copies it as one.
    std::uintptr_t address = 0;
    const bool answered = console_.guarded("getPlugin of " + className, [&] { address = getPlugin(); });
    if (answered && address) entry->plugin = *reinterpret_cast<std::shared_ptr<BakkesModPlugin>*>(address);
    if (!entry->plugin) {
        // Whatever getPlugin set up is the library's to release, as on an unload.
        console_.err("plugin load: getPlugin of " + className + " gave no plug-in");
        console_.guarded("deleteMe of " + className, [&] { entry->deleteMe(); });
        return false;
    }
    BakkesModPlugin& plugin = *entry->plugin;
    const std::type_index type(typeid(plugin));
    const auto handle = reinterpret_cast<std::uintptr_t>(entry->ctx.get());
    plugin.cvarManager = std::make_shared<CVarManagerWrapper>(handle, type);
    plugin.gameWrapper = std::make_shared<GameWrapper>(handle, entry->ctx->pluginType, type);
    loaded_.push_back(std::move(entry));

    // A plug-in whose onLoad throws stays loaded, so that unloading can still drop what it
    // registered; the load is reported as failed.
    return console_.guarded("onLoad of " + className, [&] { plugin.onLoad(); });
}

bool PluginLoader::unload(const std::string& name) {
    for (std::size_t i = 0; i < loaded_.size(); ++i) {
        if (loaded_[i]->ctx->className == name || loaded_[i]->fileStem == name) {
            if (console_.callbackDepth() > 0) {
                console_.err("plugin unload: " + name + " cannot be unloaded from inside a plug-in callback");
                return false;
            }
            unloadEntry(i);
            return true;
        }
    }
    console_.err("plugin unload: " + name + " is not loaded");
    return false;
}

void PluginLoader::unloadAll() {
    while (!loaded_.empty()) unloadEntry(loaded_.size() - 1);
}

void PluginLoader::unloadEntry(std::size_t index) {
    std::unique_ptr<Loaded> entry = std::move(loaded_[index]);
    loaded_.erase(loaded_.begin() + static_cast<std::ptrdiff_t>(index));
    const std::string& className = entry->ctx->className;
    console_.guarded("onUnload of " + className, [&] { entry->plugin->onUnload(); });
    entry->plugin.reset();
    console_.guarded("deleteMe of " + className, [&] { entry->deleteMe(); });
    // Everything below holds code or heap blocks of the library: drop it while it is mapped.
    console_.dropOwner(entry->ctx.get());
    if (entry->ctx->game && dropGameOwner_) dropGameOwner_(entry->ctx.get());
    entry->library.reset();
}

std::vector<const PluginContext*> PluginLoader::plugins() const {
    std::vector<const PluginContext*> list;
    for (const auto& entry : loaded_) list.push_back(entry->ctx.get());
    return list;
}

void PluginLoader::registerCommands() {
    console_.addHostCommand(
        "plugin", "plugin load NAME|PATH, plugin unload NAME, plugin list", [this](const Words& words) {
            const std::string sub = words.size() > 1 ? words[1] : "";
            if (sub == "load" && words.size() == 3) return load(words[2]);
            if (sub == "unload" && words.size() == 3) return unload(words[2]);
            if (sub == "list" && words.size() == 2) {
                for (const PluginContext* ctx : plugins())
                    console_.out(ctx->className + " " + ctx->displayName + " " + ctx->version);
                return true;
            }
            console_.err("usage: plugin load NAME|PATH | plugin unload NAME | plugin list");
            return false;
        });
}

}  // namespace host
