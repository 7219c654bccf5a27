// The overlay's frame entry, dispatcher, text helper, car panel and slider panel.
#include "hud/Hud.h"

#include <array>
#include <cmath>
#include <utility>

#include "aero/VectorUtils.h"
#include "core/wingleaf.h"
#include "guard/CallbackGuard.h"
#include "hud/HudLayout.h"
#include "hud/HudSwitches.h"
#include "text/FixedText.h"

namespace {

using namespace hudlayout;

constexpr std::array<const char*, 10> kCarRowLabels{
    "Car Location", "True Speed", "Ground Speed", "World Vel", "Car Fwd/Rt/Up Vel",
    "Quat (WXYZ)",  "Up",         "Right",        "Fwd",       "Angular Vel"};

constexpr std::array<const char*, 8> kSliderRowLabels{
    "Max Speed: ", "Boost Power: ",     "Air Density: ", "Car LWH: ",
    "Drag: ",      "Stabilization: ", "Lift: ",        "Throttle: "};

constexpr int kSliderDecimals = 3;

Vector unitAxis(Vector axis, const Quat& q) {
    Vector v = rotateByQuat(axis, q);
    v.normalize();
    return v;
}

// A grey panel of the given size at (x, y), its title, then one row per label with the value
// beside it.
template <std::size_t N>
void drawPanel(CanvasWrapper& canvas, int x, int y, Vector2 size, const char* title, int titleX,
               const std::array<const char*, N>& labels, std::array<std::string, N>& values) {
    canvas.SetPosition(Vector2{x, y});
    Hud::setColor(canvas, kHudPanelGrey);
    canvas.FillBox(size);
    Hud::drawText(canvas, title, x + titleX, y + kTitleY, kHudWhite);
    for (std::size_t i = 0; i < N; ++i) {
        const int rowY = y + kRowTop + kRowStep * static_cast<int>(i);
        Hud::drawText(canvas, labels[i], x + kLabelX, rowY, kHudWhite);
        Hud::drawText(canvas, std::move(values[i]), x + kValueX, rowY, kHudWhite);
    }
}

}  // namespace

void Hud::drawFrame(CanvasWrapper canvas) {
    // A frame that cannot be drawn (out of memory) is skipped; the next one tries again.
    guardCallback(
        [&] {
            if (!game || !console || !game->IsInGame()) return;
            if (!*switches_.hud) return;
            drawHud(canvas);
        },
        [](const char*) {});
}

void Hud::bindSwitches() {
    const std::pair<const char*, const std::shared_ptr<bool>&> cells[] = {
        {devswitch::kShowHud, switches_.hud},
        {devswitch::kShowCarPanel, switches_.carPanel},
        {devswitch::kShowYawGauge, switches_.yawGauge},
        {devswitch::kShowSliderPanel, switches_.sliderPanel}};
    for (const auto& [name, cell] : cells) {
        CVarWrapper cvar = console->getCvar(name);
        if (!cvar.IsNull()) cvar.bindTo(cell);
    }
}

void Hud::drawHud(CanvasWrapper& canvas) {
    ServerWrapper server = game->GetGameEventAsServer();
    if (server.IsNull()) return;
    ArrayWrapper<CarWrapper> cars = server.GetCars();
    if (cars.Count() < 1) return;
    CarWrapper car = cars.Get(0);
    if (car.IsNull()) return;
    if (*switches_.carPanel) drawCarPanel(canvas, car, kCarPanelX, kCarPanelY);
    if (*switches_.yawGauge) drawYawGauge(canvas, car, kGaugeX, kGaugeY, kGaugeScale);
    if (*switches_.sliderPanel) drawSliderPanel(canvas, kSliderRight, kSliderBottom);
}

void Hud::drawText(CanvasWrapper& canvas, std::string text, int x, int y, HudColor color) {
    canvas.SetPosition(Vector2{x, y});
    setColor(canvas, color);
    canvas.DrawString(std::move(text));
}

void Hud::setColor(CanvasWrapper& canvas, HudColor color) {
    canvas.SetColor(static_cast<char>(color.r), static_cast<char>(color.g),
                    static_cast<char>(color.b), static_cast<char>(color.a));
}

void Hud::drawCarPanel(CanvasWrapper& canvas, CarWrapper& car, int x, int y) {
    const RBState state = car.GetRBState();
    const Vector v = state.LinearVelocity;
    const Quat& q = state.Quaternion;
    const Vector f = unitAxis(Vector(1, 0, 0), q);
    const Vector r = unitAxis(Vector(0, 1, 0), q);
    const Vector u = unitAxis(Vector(0, 0, 1), q);

    const float trueSpeed = std::sqrt(v.X * v.X + v.Y * v.Y + v.Z * v.Z);
    // The ground speed ignores the vertical part of the nose direction.
    const float groundSpeed = std::fabs(f.X * v.X + f.Y * v.Y + f.Z * 0.0f);
    std::array<std::string, 10> values{
        vectorToString(state.Location, 2),
        toFixedString(trueSpeed, 4),
        toFixedString(groundSpeed, 4),
        vectorToString(v, 4),
        vectorToString(Vector(Vector::dot(v, f), Vector::dot(v, r), Vector::dot(v, u)), 3),
        quatToString(q, 3),
        vectorToString(u, 5),
        vectorToString(r, 5),
        vectorToString(f, 5),
        vectorToString(state.AngularVelocity, 5)};
    drawPanel(canvas, x, y, kCarPanelSize, "Wingleaf", kCarTitleX, kCarRowLabels, values);
}

void Hud::drawSliderPanel(CanvasWrapper& canvas, int right, int bottom) {
    const SliderValues s = owner->sliderValues();
    const auto triple = [&](Slider a, Slider b, Slider c) {
        return vectorToString(Vector(s[a], s[b], s[c]), kSliderDecimals);
    };
    std::array<std::string, 8> values{
        toFixedString(s[Slider::speed], kSliderDecimals),
        toFixedString(s[Slider::boost], kSliderDecimals),
        toFixedString(s[Slider::air_density], kSliderDecimals),
        triple(Slider::length, Slider::width, Slider::height),
        triple(Slider::drag_x, Slider::drag_y, Slider::drag_z),
        triple(Slider::pitch, Slider::roll, Slider::yaw),
        toFixedString(s[Slider::lift], kSliderDecimals),
        toFixedString(s[Slider::throttle], kSliderDecimals)};

    const Vector2 size = canvas.GetSize();
    const int x = size.X - right, y = size.Y - bottom;
    drawPanel(canvas, x, y, kSliderPanelSize, "Slider Values", kSliderTitleX, kSliderRowLabels,
              values);
}
