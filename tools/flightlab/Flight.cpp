// One simulated flight: the launch, the console lines that set it up, and its trajectory.
#include "Flight.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "presets/Preset.h"

namespace flightlab {

namespace {

constexpr double kPi = 3.14159265358979323846;

std::string num(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.9g", v);
    return buf;
}

}  // namespace

std::optional<Body> findBody(std::string_view name) {
    for (const Body& b : kBodies)
        if (b.name == name) return b;
    return std::nullopt;
}

std::optional<Slider> sliderNamed(std::string_view name) {
    for (Slider slider : kSliders)
        if (sliderName(slider) == name) return slider;
    return std::nullopt;
}

std::string sliderText(float value) {
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    return std::string(buf, end);
}

std::size_t basePresetCount() { return kBasePresetCount; }

bool isBasePreset(std::string_view text) {
    if (text.empty() || text.size() > 9 || (text.size() > 1 && text[0] == '0')) return false;
    std::size_t index = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        index = index * 10 + static_cast<std::size_t>(c - '0');
    }
    return index < kBasePresetCount;
}

int ticksFor(double seconds) { return static_cast<int>(std::lround(seconds / kTickS)); }

std::vector<std::string> modelLines(const Setup& setup) {
    std::vector<std::string> lines{"sim_mode freeplay"};
    if (setup.modelOn) {
        if (!setup.preset.empty()) lines.push_back("wl_preset \"" + setup.preset + "\"");
        for (const auto& [slider, value] : setup.overrides)
            lines.push_back(std::string(sliderName(slider)) + " " + sliderText(value));
        lines.push_back("wl_enabled 1");
    } else {
        lines.push_back("wl_enabled 0");
    }
    return lines;
}

std::vector<std::string> releaseLines(const Launch& launch, const Setup& setup) {
    const double pitch = launch.pitchDeg * kPi / 180.0, heading = launch.headingDeg * kPi / 180.0;
    // Nose-up pitch is a turn about the car's right (+Y) axis by minus the angle; the heading a
    // turn about the world's up axis after it.
    const double cp = std::cos(pitch / 2), sp = std::sin(pitch / 2);
    const double ch = std::cos(heading / 2), sh = std::sin(heading / 2);
    const double qw = ch * cp, qx = sh * sp, qy = -ch * sp, qz = sh * cp;
    const double level = launch.speedUu * std::cos(pitch);
    std::vector<std::string> lines;
    // The model reads the collision box's half sizes.
    if (const auto body = findBody(setup.body))
        lines.push_back("sim_set car 0 extent " + num(body->lengthUu / 2) + " " +
                        num(body->widthUu / 2) + " " + num(body->heightUu / 2));
    lines.push_back("sim_set car 0 on_ground 0");
    lines.push_back("sim_set car 0 location 0 0 " + num(launch.heightUu));
    lines.push_back("sim_set car 0 velocity " + num(level * std::cos(heading)) + " " +
                    num(level * std::sin(heading)) + " " + num(launch.speedUu * std::sin(pitch)));
    lines.push_back("sim_set car 0 angular_velocity 0 0 0");
    lines.push_back("sim_set car 0 quaternion " + num(qw) + " " + num(qx) + " " + num(qy) + " " +
                    num(qz));
    lines.push_back(std::string("sim_input boost ") + (launch.boostSeconds > 0 ? "1" : "0"));
    const HeldInput& in = launch.input;
    if (in.any())
        lines.push_back("sim_input pitch " + num(in.pitch) + " yaw " + num(in.yaw) + " roll " +
                        num(in.roll) + " throttle " + num(in.throttle));
    return lines;
}

std::vector<std::string> setupLines(const Launch& launch, const Setup& setup) {
    std::vector<std::string> lines = modelLines(setup);
    for (std::string& line : releaseLines(launch, setup)) lines.push_back(std::move(line));
    return lines;
}

void keepAtMost(Flight& flight, std::size_t most) {
    auto& s = flight.samples;
    if (s.size() <= most) return;
    const std::size_t step = (s.size() - 1 + most - 4) / (most - 3);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (i % step == 0 || i + 1 == s.size() || s[i].tick == flight.figures.apexTick) s[kept++] = s[i];
    s.resize(kept);
    s.shrink_to_fit();
}

void summarise(Flight& flight, const Launch& launch) {
    auto& s = flight.samples;
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (touchedDown(s[i])) {
            s.resize(i + 1);
            break;
        }
    }
    flight.figures = figuresOf(s, launch);
}

}  // namespace flightlab
