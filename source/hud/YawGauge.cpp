// The heading gauge: a top-down view of the car's outline, nose and horizontal velocity.
#include "hud/YawGauge.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "aero/VectorUtils.h"
#include "hud/Hud.h"
#include "hud/HudLayout.h"
#include "text/FixedText.h"

namespace hud {

namespace {

// The velocity line is this many pixels long at this speed.
constexpr float kFullScaleSpeedUu = 2300.0f;
constexpr float kFullScaleLengthPx = 100.0f;

}  // namespace

GaugeHeading gaugeHeading(const Quat& q) {
    Vector f = rotateByQuat(Vector(1, 0, 0), q);
    f.normalize();
    const float planar = std::sqrt(f.X * f.X + f.Y * f.Y + 0.0f);
    const float fx = f.X / planar, fy = f.Y / planar;
    GaugeHeading h;
    if (!std::isfinite(fx) || !std::isfinite(fy)) return h;
    // Rounding may push fx a hair past 1, where acos has no value.
    float theta = static_cast<float>(std::acos(static_cast<double>(std::clamp(fx, -1.0f, 1.0f))));
    if (fy > 0) theta = -theta;
    h.defined = true;
    h.theta = theta;
    h.c = static_cast<float>(std::cos(static_cast<double>(theta)));
    h.sn = static_cast<float>(std::sin(static_cast<double>(theta)));
    return h;
}

std::optional<GaugeVelocity> gaugeVelocity(const Vector& velocity) {
    const float v = std::sqrt(velocity.X * velocity.X + velocity.Y * velocity.Y + 0.0f);
    float gx = velocity.X, gy = velocity.Y;
    // A car at rest keeps its zero components and never divides by its zero speed.
    if (v > 0) {
        const float t = v / kFullScaleSpeedUu * kFullScaleLengthPx;
        gx = velocity.X / v * t;
        gy = velocity.Y / v * t;
    }
    const std::optional<int> ix = truncToInt(-gx), iy = truncToInt(gy);
    if (!ix || !iy) return std::nullopt;
    // World +X points up the canvas and world +Y to the right.
    return GaugeVelocity{*iy, *ix};
}

}  // namespace hud

namespace {

using hud::truncToInt;
using namespace hudlayout;

// The gauge's centre offset, as a float for scaling and wide for sums with rotated offsets.
constexpr float kCentre = static_cast<float>(kGaugeCentre);
constexpr long long kCentreWide = kGaugeCentre;

// origin + trunc(offset), or nothing when either step leaves the int range.
inline std::optional<int> coord(int origin, float offset) {
    const std::optional<int> t = truncToInt(offset);
    if (!t) return std::nullopt;
    return truncToInt(static_cast<double>(origin) + *t);
}

// Inline, as coord: out of line, the optional came back written a byte and a word at a time and
// was reloaded whole, a stalled load on every point of the gauge.
inline std::optional<Vector2> point(int x0, int y0, float dx, float dy) {
    const std::optional<int> x = coord(x0, dx), y = coord(y0, dy);
    if (!x || !y) return std::nullopt;
    return Vector2{*x, *y};
}

// Draws the line only when both ends are on the int grid.
void line(CanvasWrapper& canvas, const std::optional<Vector2>& a, const std::optional<Vector2>& b) {
    if (a && b) canvas.DrawLine(*a, *b);
}

void text(CanvasWrapper& canvas, std::string s, const std::optional<Vector2>& at) {
    if (at) Hud::drawText(canvas, std::move(s), at->X, at->Y, kHudWhite);
}

// Where the gauge stands on the canvas: its top-left corner and its scale.
struct GaugeFrame {
    int x0, y0;
    float scale;

    // The canvas point (ux, uy) gauge units from the corner.
    std::optional<Vector2> at(float ux, float uy) const {
        return point(x0, y0, ux * scale, uy * scale);
    }

    // The point px gauge units to the car's right and py along its nose, turned by the heading.
    std::optional<Vector2> onCar(const hud::GaugeHeading& heading, float px, float py) const {
        const std::optional<int> rx = truncToInt(px * heading.c - py * heading.sn);
        const std::optional<int> ry = truncToInt(-(px * heading.sn + py * heading.c));
        if (!rx || !ry) return std::nullopt;
        return at(static_cast<float>(kCentreWide + *rx), static_cast<float>(kCentreWide + *ry));
    }
};

// The car's outline and, in half white, its nose line.
void drawOutline(CanvasWrapper& canvas, const GaugeFrame& gauge, const hud::GaugeHeading& heading,
                 const std::optional<Vector2>& centre) {
    const float w = kOutlineHalfWidth;
    const std::optional<Vector2> frontLeft = gauge.onCar(heading, -w, kOutlineFront);
    const std::optional<Vector2> frontRight = gauge.onCar(heading, w, kOutlineFront);
    const std::optional<Vector2> rearLeft = gauge.onCar(heading, -w, kOutlineRear);
    const std::optional<Vector2> rearRight = gauge.onCar(heading, w, kOutlineRear);
    line(canvas, frontLeft, frontRight);
    line(canvas, rearLeft, rearRight);
    line(canvas, frontLeft, rearLeft);
    line(canvas, frontRight, rearRight);
    Hud::setColor(canvas, kHudHalfWhite);
    line(canvas, centre, gauge.onCar(heading, 0, kNoseLength));
}

}  // namespace

void Hud::drawYawGauge(CanvasWrapper& canvas, CarWrapper& car, int x0, int y0, float scale) {
    const RBState state = car.GetRBState();
    const hud::GaugeHeading heading = hud::gaugeHeading(state.Quaternion);
    const std::optional<hud::GaugeVelocity> velocity = hud::gaugeVelocity(state.LinearVelocity);
    const GaugeFrame gauge{x0, y0, scale};

    const std::optional<int> side = truncToInt(kGaugeSide * scale);
    const std::optional<Vector2> centre = gauge.at(kCentre, kCentre);
    // A scale that puts the gauge off the int grid draws nothing at all.
    if (!side || !centre) return;

    canvas.SetPosition(Vector2{x0, y0});
    setColor(canvas, kHudPanelGrey);
    canvas.FillBox(Vector2{*side, *side});
    setColor(canvas, kHudWhite);
    line(canvas, centre, gauge.at(kGaugeUpEndX, kGaugeUpEndY));
    line(canvas, centre, gauge.at(kGaugeRightEndX, kGaugeRightEndY));

    // A nose pointing straight up or down has no heading: no outline, nose line or angle then.
    if (heading.defined) drawOutline(canvas, gauge, heading, centre);

    // The velocity line is in world axes, so it needs no heading.
    if (velocity) {
        const std::optional<Vector2> end = gauge.at(static_cast<float>(kCentreWide + velocity->dx),
                                                    static_cast<float>(kCentreWide + velocity->dy));
        if (end) {
            setColor(canvas, kHudGreen);
            canvas.DrawLine(*centre, *end);
        }
    }

    if (heading.defined)
        text(canvas, toFixedString(heading.theta, 2), gauge.at(kAngleTextX, kAngleTextY));
    text(canvas, "x", gauge.at(kXLabelX, kXLabelY));
    text(canvas, "y", gauge.at(kYLabelX, kYLabelY));
}
