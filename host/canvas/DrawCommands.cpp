// The host command sim_draw: draws one frame with every registered drawable.
#include "canvas/DrawCommands.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>

#include "bakkesmod/wrappers/canvaswrapper.h"
#include "canvas/PngRasterizer.h"
#include "canvas/RecordingCanvas.h"
#include "console/Console.h"
#include "game/Game.h"

namespace host {

namespace {

constexpr const char* kUsage = "usage: sim_draw [--ops] [FILE.png]";

bool endsWithPng(const std::string& name) {
    if (name.size() <= 4) return false;
    std::string suffix = name.substr(name.size() - 4);
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return suffix == ".png";
}

struct DrawRequest {
    bool ops = false;
    std::string file;
};

// Checks the words; prints the reason and returns false when they are malformed.
bool parse(Console& console, const Console::Words& words, DrawRequest& request) {
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w == "--ops") {
            request.ops = true;
        } else if (w.rfind("-", 0) == 0) {
            console.err("sim_draw: unknown option '" + w + "'; " + kUsage);
            return false;
        } else if (!request.file.empty()) {
            console.err("sim_draw: more than one picture file given; " + std::string(kUsage));
            return false;
        } else if (!endsWithPng(w)) {
            console.err("sim_draw: the picture file must end in .png: '" + w + "'");
            return false;
        } else {
            request.file = w;
        }
    }
    return true;
}

}  // namespace

void registerDrawCommands(Console& console, Game& game, int canvasWidth, int canvasHeight) {
    console.addHostCommand(
        "sim_draw", "draw one frame; --ops prints the canvas calls, FILE.png writes the picture",
        [&console, &game, canvasWidth, canvasHeight](const Console::Words& words) {
            DrawRequest request;
            if (!parse(console, words, request)) return false;
            if (!request.file.empty() && !canWritePng()) {
                console.err("sim_draw: cannot write " + request.file + ": " +
                            writeFramePng(RecordingCanvas(1, 1), request.file));
                return false;
            }

            RecordingCanvas canvas(canvasWidth, canvasHeight);
            const CanvasWrapper handle(reinterpret_cast<std::uintptr_t>(&canvas));
            game.runDrawables([&handle](const Game::DrawableFn& draw) { draw(handle); });

            if (request.ops)
                for (const CanvasOp& op : canvas.ops()) console.out(formatOp(op));
            if (!request.file.empty()) {
                const std::string error = writeFramePng(canvas, request.file);
                if (!error.empty()) {
                    console.err("sim_draw: " + error);
                    return false;
                }
                // On standard error, so that scripts reading the answers stay clean.
                std::error_code ec;
                const auto written = std::filesystem::absolute(request.file, ec);
                console.err("sim_draw: wrote " + (ec ? request.file : written.lexically_normal().string()));
            }
            return true;
        });
}

}  // namespace host
