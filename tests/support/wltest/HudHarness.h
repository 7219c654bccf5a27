// The plug-in loaded in-process on the host's console and game, with one freeplay car, for
// drawing single HUD frames on a recording canvas (tests and benchmarks).
#pragma once
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

class HudHarness {
public:
    explicit HudHarness(int canvasWidth = 1920, int canvasHeight = 1080)
        : console(out, err), canvas(canvasWidth, canvasHeight) {
        context.console = &console;
        context.game = &game;
        context.className = "wingleaf";
        const auto handle = reinterpret_cast<std::uintptr_t>(&context);
        const std::type_index type(typeid(wingleaf));
        plugin.cvarManager = std::make_shared<CVarManagerWrapper>(handle, type);
        plugin.gameWrapper = std::make_shared<GameWrapper>(handle, 1L, type);
        plugin.onLoad();
        game.setMode(host::Mode::Freeplay);
    }

    ~HudHarness() {
        game.setMode(host::Mode::Menu);
        console.dropOwner(&context);
        game.dropOwner(&context);
    }

    HudHarness(const HudHarness&) = delete;
    HudHarness& operator=(const HudHarness&) = delete;

    // Runs every drawable once on the cleared canvas.
    void drawFrame() {
        canvas.clear();
        const CanvasWrapper handle(reinterpret_cast<std::uintptr_t>(&canvas));
        game.runDrawables([&handle](const host::Game::DrawableFn& draw) { draw(handle); });
    }

    // The frame's calls as `sim_draw --ops` prints them.
    std::vector<std::string> frameLines() {
        drawFrame();
        std::vector<std::string> lines;
        for (const host::CanvasOp& op : canvas.ops()) lines.push_back(host::formatOp(op));
        return lines;
    }

    void set(const std::string& line) { console.execute(line); }

    std::ostringstream out, err;
    host::Console console;
    host::Game game;
    host::PluginContext context;
    wingleaf plugin;
    host::RecordingCanvas canvas;
};

}  // namespace wltest
