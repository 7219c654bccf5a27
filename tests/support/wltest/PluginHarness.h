// The plug-in loaded in-process on a simulated console and game, for tests and benchmarks that
// call its members directly or draw single HUD frames, instead of typing lines at wingleaf-host.
#pragma once
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <typeindex>
#include <vector>

#include "bakkesmod/wrappers/canvaswrapper.h"
#include "canvas/RecordingCanvas.h"
#include "console/Console.h"
#include "core/wingleaf.h"
#include "game/Game.h"
#include "sdk/PluginContext.h"

namespace wltest {

class PluginHarness {
public:
    // Loads the plug-in at the menu, then enters `mode`.
    explicit PluginHarness(host::Mode mode = host::Mode::Menu) : console(out, err) {
        context.console = &console;
        context.game = &game;
        context.className = "wingleaf";
        // The program rebuilds its settings windows here; in-process there are none.
        console.addHostCommand("cl_settings_refreshplugins", "", [](const host::Words&) {
            return true;
        });
        load();
        game.setMode(mode);
    }
    ~PluginHarness() {
        game.dropOwner(&context);
        console.dropOwner(&context);
    }
    PluginHarness(const PluginHarness&) = delete;
    PluginHarness& operator=(const PluginHarness&) = delete;

    // A fresh plug-in object given its handles and loaded, as the host does after getPlugin.
    void load() {
        const auto address = reinterpret_cast<std::uintptr_t>(&context);
        const std::type_index type(typeid(wingleaf));
        plugin = std::make_shared<wingleaf>();
        plugin->cvarManager = std::make_shared<CVarManagerWrapper>(address, type);
        plugin->gameWrapper = std::make_shared<GameWrapper>(address, 1, type);
        plugin->onLoad();
    }

    // onUnload, then everything the plug-in placed in the game and the console is dropped and
    // the object released, as the host does.
    void unload() {
        if (!plugin) return;
        plugin->onUnload();
        game.dropOwner(&context);
        console.dropOwner(&context);
        plugin.reset();
    }

    // Runs console lines as typed; false when one failed.
    bool run(const std::string& line) { return console.execute(line); }
    CarWrapper localCar() { return CarWrapper(host::actorAddress(game.localCar())); }

    // Runs every drawable once on the cleared canvas.
    void drawFrame() {
        canvas.clear();
        const CanvasWrapper handle(reinterpret_cast<std::uintptr_t>(&canvas));
        game.runDrawables([&handle](const host::Game::DrawableFn& draw) { draw(handle); });
    }

    // One frame's canvas calls as `sim_draw --ops` prints them.
    std::vector<std::string> frameLines() {
        drawFrame();
        std::vector<std::string> lines;
        for (const host::CanvasOp& op : canvas.ops()) lines.push_back(host::formatOp(op));
        return lines;
    }

    std::ostringstream out;
    std::ostringstream err;
    host::Console console;
    host::Game game;
    host::PluginContext context;
    std::shared_ptr<wingleaf> plugin;
    host::RecordingCanvas canvas{1920, 1080};
};

}  // namespace wltest
