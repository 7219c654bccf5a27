// Geometry of the heading gauge: the car's heading angle and the velocity line's length.
#pragma once
#include <optional>

#include "bakkesmod/wrappers/wrapperstructs.h"

namespace hud {

// The car's heading seen from above. Undefined when the nose points straight up or down
// (or the orientation is degenerate); theta, c and sn then mean nothing.
struct GaugeHeading {
    bool defined = false;
    float theta = 0;  // radians, -atan2(fy, fx): negative when the nose points towards world +Y
    float c = 1;      // cos theta
    float sn = 0;     // sin theta
};

GaugeHeading gaugeHeading(const Quat& q);

// End of the velocity line relative to the gauge centre, in unscaled gauge pixels:
// dx to the right (world +Y), dy downwards (world -X); 100 pixels stand for 2300 units per second.
struct GaugeVelocity {
    int dx = 0;
    int dy = 0;
};

// Nothing when the velocity is not finite or its line would not fit in an int.
std::optional<GaugeVelocity> gaugeVelocity(const Vector& velocity);

// Truncates toward zero; nothing for NaN, infinities and values outside the int range. Inline:
// the gauge takes a few dozen of these a frame.
inline std::optional<int> truncToInt(double value) {
    // Written so that NaN fails the test too.
    if (!(value > -2147483649.0 && value < 2147483648.0)) return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace hud
