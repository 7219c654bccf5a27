// One simulated flight: the launch, the console lines that set it up, and its trajectory.
#include "Flight.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace flightlab {

namespace {

constexpr double kPi = 3.14159265358979323846;

std::string num(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.9g", v);
    return buf;
}

bool parseTriple(const std::string& text, double& a, double& b, double& c) {
    return std::sscanf(text.c_str(), "%lf, %lf, %lf", &a, &b, &c) == 3;
}

bool parseQuad(const std::string& text, double& a, double& b, double& c, double& d) {
    return std::sscanf(text.c_str(), "%lf, %lf, %lf, %lf", &a, &b, &c, &d) == 4;
}

}  // namespace

std::optional<Body> findBody(std::string_view name) {
    for (const Body& b : kBodies)
        if (b.name == name) return b;
    return std::nullopt;
}

int sliderIndex(std::string_view name) {
    for (std::size_t i = 0; i < kSliderNames.size(); ++i)
        if (kSliderNames[i] == name) return static_cast<int>(i);
    return -1;
}

int ticksFor(double seconds) { return static_cast<int>(std::lround(seconds / kTickS)); }

std::vector<std::string> setupLines(const Launch& launch, const Setup& setup) {
    const double pitch = launch.pitchDeg * kPi / 180.0, heading = launch.headingDeg * kPi / 180.0;
    // Nose-up pitch is a turn about the car's right (+Y) axis by minus the angle; the heading a
    // turn about the world's up axis after it.
    const double cp = std::cos(pitch / 2), sp = std::sin(pitch / 2);
    const double ch = std::cos(heading / 2), sh = std::sin(heading / 2);
    const double qw = ch * cp, qx = sh * sp, qy = -ch * sp, qz = sh * cp;
    const double level = launch.speedUu * std::cos(pitch);
    std::vector<std::string> lines{"sim_mode freeplay"};
    if (setup.modelOn) {
        if (!setup.preset.empty()) lines.push_back("wl_preset \"" + setup.preset + "\"");
        for (const auto& [slider, value] : setup.overrides) lines.push_back(slider + " " + value);
        lines.push_back("wl_enabled 1");
    } else {
        lines.push_back("wl_enabled 0");
    }
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

std::string flightScript(const Launch& launch, const Setup& setup, int drawAtTick,
                         const std::string& drawFile) {
    std::ostringstream s;
    for (const auto& line : setupLines(launch, setup)) s << line << '\n';
    for (const auto name : kSliderNames) s << name << '\n';
    const int boostTicks = ticksFor(launch.boostSeconds);
    const int lastTick = ticksFor(launch.timeLimitS);
    s << "sim_state car 0\n";
    for (int tick = 1; tick <= lastTick; ++tick) {
        if (tick - 1 == boostTicks && boostTicks > 0) s << "sim_input boost 0\n";
        s << "sim_tick 1\n";
        if (tick == drawAtTick) {
            s << "sim_draw \"" << drawFile << "\"\n";
            break;
        }
        s << "sim_state car 0\n";
    }
    return s.str();
}

std::vector<Sample> parseSamples(const std::string& hostOutput) {
    std::vector<Sample> samples;
    std::istringstream in(hostOutput);
    std::string line;
    Sample current;
    bool open = false;
    while (std::getline(in, line)) {
        if (line.rfind("car0.", 0) != 0) continue;
        const auto eq = line.find(" = ");
        if (eq == std::string::npos) continue;
        const std::string field = line.substr(5, eq - 5);
        const std::string value = line.substr(eq + 3);
        // Each state read starts with the location.
        if (field == "location") {
            if (open) samples.push_back(current);
            current = Sample{};
            current.tick = static_cast<int>(samples.size());
            open = parseTriple(value, current.x, current.y, current.z);
        } else if (field == "velocity" && open) {
            parseTriple(value, current.vx, current.vy, current.vz);
        } else if (field == "quaternion" && open) {
            parseQuad(value, current.qw, current.qx, current.qy, current.qz);
        } else if (field == "angular_velocity" && open) {
            parseTriple(value, current.wx, current.wy, current.wz);
        } else if (field == "on_ground" && open) {
            current.onGround = value == "1";
        }
    }
    if (open) samples.push_back(current);
    return samples;
}

SliderValues parseSliders(const std::string& hostOutput) {
    SliderValues values{};
    std::istringstream in(hostOutput);
    std::string line;
    while (std::getline(in, line)) {
        const auto eq = line.find(" = ");
        if (eq == std::string::npos) continue;
        const int index = sliderIndex(line.substr(0, eq));
        if (index >= 0) values[static_cast<std::size_t>(index)] = std::strtod(line.c_str() + eq + 3, nullptr);
    }
    return values;
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
