// The overlay's frame entry, dispatcher, text helper, car panel and slider panel.
#include "hud/Hud.h"

#include <array>
#include <cmath>
#include <utility>

#include "aero/VectorUtils.h"
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
// valueOf(row) beside it. Each value is written just before it is drawn, so that one text buffer
// at a time is in flight and the allocator hands the same memory back row after row.
template <std::size_t N, typename ValueOf>
void drawPanel(CanvasWrapper& canvas, int x, int y, Vector2 size, const char* title, int titleX,
               const std::array<const char*, N>& labels, const ValueOf& valueOf) {
    canvas.SetPosition(Vector2{x, y});
    Hud::setColor(canvas, kHudPanelGrey);
    canvas.FillBox(size);
    Hud::drawText(canvas, title, x + titleX, y + kTitleY, kHudWhite);
    for (std::size_t i = 0; i < N; ++i) {
        const int rowY = y + kRowTop + kRowStep * static_cast<int>(i);
        Hud::drawText(canvas, labels[i], x + kLabelX, rowY, kHudWhite);
        Hud::drawText(canvas, valueOf(i), x + kValueX, rowY, kHudWhite);
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
    const Vector local(Vector::dot(v, f), Vector::dot(v, r), Vector::dot(v, u));
    const auto valueOf = [&](std::size_t row) -> std::string {
        switch (row) {
            case 0: return vectorToString(state.Location, 2);
            case 1: return toFixedString(trueSpeed, 4);
            case 2: return toFixedString(groundSpeed, 4);
            case 3: return vectorToString(v, 4);
            case 4: return vectorToString(local, 3);
            case 5: return quatToString(q, 3);
            case 6: return vectorToString(u, 5);
            case 7: return vectorToString(r, 5);
            case 8: return vectorToString(f, 5);
            default: return vectorToString(state.AngularVelocity, 5);
        }
    };
    static_assert(kCarRowLabels.size() == 10);
    drawPanel(canvas, x, y, kCarPanelSize, "Wingleaf", kCarTitleX, kCarRowLabels, valueOf);
}

void Hud::drawSliderPanel(CanvasWrapper& canvas, int right, int bottom) {
    const SliderValues s = sliders ? *sliders : SliderValues{};
    const auto triple = [&](Slider a, Slider b, Slider c) {
        return vectorToString(Vector(s[a], s[b], s[c]), kSliderDecimals);
    };
    const auto valueOf = [&](std::size_t row) -> std::string {
        switch (row) {
            case 0: return toFixedString(s[Slider::speed], kSliderDecimals);
            case 1: return toFixedString(s[Slider::boost], kSliderDecimals);
            case 2: return toFixedString(s[Slider::air_density], kSliderDecimals);
            case 3: return triple(Slider::length, Slider::width, Slider::height);
            case 4: return triple(Slider::drag_x, Slider::drag_y, Slider::drag_z);
            case 5: return triple(Slider::pitch, Slider::roll, Slider::yaw);
            case 6: return toFixedString(s[Slider::lift], kSliderDecimals);
            default: return toFixedString(s[Slider::throttle], kSliderDecimals);
        }
    };
    static_assert(kSliderRowLabels.size() == 8);

    const Vector2 size = canvas.GetSize();
    const int x = size.X - right, y = size.Y - bottom;
    drawPanel(canvas, x, y, kSliderPanelSize, "Slider Values", kSliderTitleX, kSliderRowLabels,
              valueOf);
}
