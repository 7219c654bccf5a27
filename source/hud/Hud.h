// The canvas overlay: car panel, heading gauge and slider panel.
#pragma once
#include <memory>
#include <string>

#include "bakkesmod/wrappers/GameWrapper.h"
#include "bakkesmod/wrappers/canvaswrapper.h"
#include "bakkesmod/wrappers/cvarmanagerwrapper.h"
#include "sliders/SliderValues.h"

// A canvas colour: red, green, blue, alpha, each 0-255.
struct HudColor {
    unsigned char r, g, b, a;
};

inline constexpr HudColor kHudPanelGrey{64, 64, 64, 192};
inline constexpr HudColor kHudWhite{255, 255, 255, 255};
inline constexpr HudColor kHudHalfWhite{255, 255, 255, 128};
inline constexpr HudColor kHudGreen{0, 255, 0, 255};

class Hud {
public:
    // The drawable's body, run on every frame: draws only in a game and while "showHUD" is on.
    // Never throws.
    void drawFrame(CanvasWrapper canvas);

    // Binds the overlay's switches to their console variables; call once they are registered.
    // A switch without a variable reads as off.
    void bindSwitches();

    // Draws the panels whose switches are on, about the first car of the server game event.
    void drawHud(CanvasWrapper& canvas);

    // Rigid-body state, derived speeds and axes of the car; (x, y) is the panel's top-left corner.
    void drawCarPanel(CanvasWrapper& canvas, CarWrapper& car, int x, int y);

    // Top-down view of the car's heading and horizontal velocity; (x, y) is the top-left corner
    // of a square of 200 * scale pixels.
    void drawYawGauge(CanvasWrapper& canvas, CarWrapper& car, int x, int y, float scale);

    // The current slider values, in a panel placed `right` pixels from the canvas's right edge
    // and `bottom` pixels from its bottom edge.
    void drawSliderPanel(CanvasWrapper& canvas, int right, int bottom);

    // Draws one text with its top-left corner at (x, y).
    static void drawText(CanvasWrapper& canvas, std::string text, int x, int y, HudColor color);
    static void setColor(CanvasWrapper& canvas, HudColor color);

    std::shared_ptr<GameWrapper> game;
    std::shared_ptr<CVarManagerWrapper> console;
    // The slider values the slider panel shows, kept up to date by the console; every slider
    // at its default while unset.
    std::shared_ptr<const SliderValues> sliders;

private:
    // The switches' cells, which the console keeps up to date: a frame reads them without
    // looking anything up.
    struct Switches {
        std::shared_ptr<bool> hud = std::make_shared<bool>(false);
        std::shared_ptr<bool> carPanel = std::make_shared<bool>(false);
        std::shared_ptr<bool> yawGauge = std::make_shared<bool>(false);
        std::shared_ptr<bool> sliderPanel = std::make_shared<bool>(false);
    };
    Switches switches_;
};
