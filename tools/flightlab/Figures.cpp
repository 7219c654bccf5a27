// The figures of a flight: one touchdown rule, distance along the launch heading, attitude.
#include "Figures.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "Launch.h"
#include "game/PhysicsConstants.h"

namespace flightlab {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegPerRad = 180.0 / kPi;
// Motion back along the heading slower than this is the noise of a car hanging in place, not a
// flight turning back, uu/s.
constexpr double kTurnBackUuS = 1.0;

using Vec = std::array<double, 3>;

double dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec cross(const Vec& a, const Vec& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// V turned by the sample's orientation, as the game turns a body vector into the world.
Vec turned(const Sample& s, const Vec& v) {
    const Vec u{s.qx, s.qy, s.qz};
    const Vec t = cross(u, v);
    const Vec t2 = cross(u, t);
    return {v[0] + 2 * (s.qw * t[0] + t2[0]), v[1] + 2 * (s.qw * t[1] + t2[1]),
            v[2] + 2 * (s.qw * t[2] + t2[2])};
}

Vec headingOf(double headingDeg) {
    const double h = headingDeg / kDegPerRad;
    return {std::cos(h), std::sin(h), 0};
}

double lerp(double a, double b, double f) { return a + (b - a) * f; }

// Below the horizontal, degrees, of a velocity.
double descentAngle(double vx, double vy, double vz) {
    return std::atan2(-vz, std::hypot(vx, vy)) * kDegPerRad;
}

// The state at touchdown, between the last airborne sample LAST and the next, CONTACT. The
// game moves a body by its new velocity each tick, so within the tick the car travels in a
// straight line at CONTACT's velocity; but the floor has already cut CONTACT's vertical speed
// and height. They are rebuilt from LAST with the vertical acceleration of the tick before
// (gravity alone when there is none).
struct Touchdown {
    double fraction, x, y, vx, vy, vz;
};
Touchdown touchdownBetween(const Sample* before, const Sample& last, const Sample& contact) {
    const double az = before != nullptr ? (last.vz - before->vz) / kTickS
                                        : static_cast<double>(host::phys::kGravityZUuS2);
    const double vzAfter = last.vz + az * kTickS;
    const double fall = -vzAfter * kTickS;
    const double f = fall > 0 ? std::clamp((last.z - kRestHeightUu) / fall, 0.0, 1.0) : 1.0;
    return {f,
            lerp(last.x, contact.x, f),
            lerp(last.y, contact.y, f),
            lerp(last.vx, contact.vx, f),
            lerp(last.vy, contact.vy, f),
            lerp(last.vz, vzAfter, f)};
}

}  // namespace

const double kRestHeightUu = host::phys::kCarRestHeightUu;

bool touchedDown(const Sample& s) {
    return s.onGround || s.z <= kRestHeightUu + host::phys::kGroundContactToleranceUu;
}

double alongHeading(const Sample& release, const Sample& s, double headingDeg) {
    return dot({s.x - release.x, s.y - release.y, 0}, headingOf(headingDeg));
}

double sideOfHeading(const Sample& release, const Sample& s, double headingDeg) {
    const Vec h = headingOf(headingDeg);
    // The game's world is left-handed: +Y is to the right of +X.
    return dot({s.x - release.x, s.y - release.y, 0}, {-h[1], h[0], 0});
}

Figures figuresOf(const std::vector<Sample>& samples, const Launch& launch) {
    Figures f;
    if (samples.empty()) return f;
    const Sample& first = samples.front();
    const Vec heading = headingOf(launch.headingDeg);
    std::size_t contact = samples.size();
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if (touchedDown(samples[i])) {
            contact = i;
            break;
        }
    }
    const std::size_t lastAirborne = contact == samples.size() ? samples.size() - 1 : contact - 1;
    f.topHeightUu = first.z;
    f.apexTick = first.tick;
    for (std::size_t i = 0; i <= lastAirborne; ++i) {
        const Sample& s = samples[i];
        if (s.z > f.topHeightUu) f.topHeightUu = s.z, f.apexTick = s.tick;
        if (dot({s.vx, s.vy, 0}, heading) < -kTurnBackUuS) f.turnedBack = true;
    }
    const Sample& last = samples[lastAirborne];
    if (contact == samples.size()) {
        f.airtimeS = launch.timeLimitS;
        f.distanceUu = alongHeading(first, last, launch.headingDeg);
        f.sideUu = sideOfHeading(first, last, launch.headingDeg);
        f.landingSpeedUu = std::sqrt(last.vx * last.vx + last.vy * last.vy + last.vz * last.vz);
        f.descentAngleDeg = descentAngle(last.vx, last.vy, last.vz);
        return f;
    }
    const Touchdown t = touchdownBetween(lastAirborne > 0 ? &samples[lastAirborne - 1] : nullptr,
                                         last, samples[contact]);
    f.landed = true;
    f.airtimeS = (last.tick - first.tick + t.fraction) * kTickS;
    Sample at = last;
    at.x = t.x, at.y = t.y;
    f.distanceUu = alongHeading(first, at, launch.headingDeg);
    f.sideUu = sideOfHeading(first, at, launch.headingDeg);
    f.landingSpeedUu = std::sqrt(t.vx * t.vx + t.vy * t.vy + t.vz * t.vz);
    f.descentAngleDeg = descentAngle(t.vx, t.vy, t.vz);
    return f;
}

Attitude attitudeOf(const Sample& s) {
    const Vec forward = turned(s, {1, 0, 0}), right = turned(s, {0, 1, 0}), up = turned(s, {0, 0, 1});
    Attitude a;
    a.pitchDeg = std::asin(std::clamp(forward[2], -1.0, 1.0)) * kDegPerRad;
    a.yawDeg = std::atan2(forward[1], forward[0]) * kDegPerRad;
    a.rollDeg = std::atan2(-right[2], up[2]) * kDegPerRad;
    const Vec v{s.vx, s.vy, s.vz};
    const double along = dot(v, forward), across = dot(v, up);
    a.angleOfAttackDeg = along == 0 && across == 0 ? 0 : std::atan2(-across, along) * kDegPerRad;
    return a;
}

}  // namespace flightlab
